#include "resources/FontManager.h"

ParameterMap FontManager::defaults()
{
    return ParameterMap();
}
