#include "resources/SoundManager.h"

ParameterMap SoundManager::defaults()
{
    ParameterMap map;
    map.set<bool>("streaming", false);
    return map;
}

void SoundManager::update()
{
    forEach([](Sound* sound) { sound->update(); });
}
