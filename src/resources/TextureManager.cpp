#include "resources/TextureManager.h"

ParameterMap TextureManager::defaults()
{
    ParameterMap map;
    map.set<bool>("mipMapping", true);
    map.set<DownscaleFilter>("downscaleFilter", DF_BOX);
    map.set<bool>("findRegions", false);
    return map;
}
