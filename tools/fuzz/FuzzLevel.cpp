// A whole level file loaded into a real Level under the real engine, with its
// tile sets, images and objects, then stepped and drawn a few times.
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "engine/Enums.h"
#include "world/Level.h"
#include "world/ObjectFactory.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    static const bool registered = (registerAllObjectTypes(), true);
    (void)registered;
    writeScratch("levels/fuzz.xml", data, size);

    // The mode decides which objects stay, so let the input pick it without
    // touching the XML text.
    ParameterMap params;
    params.set<GameMode>("gameMode", GameMode(size % 5));
    params.set<int>("pointsNeededToWin", 5);
    params.set<ControlMode>("controlMode1", CM_FIVE_KEYS);
    params.set<ControlMode>("controlMode2", CM_FOUR_KEYS);
    params.set<std::string>("levelFilename", "fuzz.xml");

    std::unique_ptr<Level> level(Level::load(&engine, "levels/fuzz.xml", &params));
    if (!level)
        return 0;
    for (int i = 0; i < 3; ++i)
        level->update();
    engine.setViewport(0, 0, 160, 120);
    level->cameraPosition = Vec2f(0.0f, 0.0f);
    level->render(level->findPlayerObject(0));
    return 0;
}
