#include "world/ObjectFactory.h"

#include "objects/CheckpointObject.h"
#include "objects/DummyObject.h"
#include "objects/HomebaseObject.h"
#include "objects/KingAreaObject.h"
#include "objects/PlayerObject.h"
#include "objects/SimpleObject.h"
#include "objects/TextObject.h"
#include "objects/ZorbellnutObject.h"

void registerAllObjectTypes()
{
    ObjectFactory::registerType<CheckpointObject>("CheckpointObject");
    ObjectFactory::registerType<DummyObject>("DummyObject");
    ObjectFactory::registerType<ZorbellnutObject>("ZorbellnutObject");
    ObjectFactory::registerType<HomebaseObject>("HomebaseObject");
    ObjectFactory::registerType<KingAreaObject>("KingAreaObject");
    ObjectFactory::registerType<PlayerObject>("PlayerObject");
    ObjectFactory::registerType<SimpleObject>("SimpleObject");
    ObjectFactory::registerType<TextObject>("TextObject");
}
