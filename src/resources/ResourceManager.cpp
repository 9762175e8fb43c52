#include "resources/ResourceManager.h"

std::string ResourceManager::findFile(const std::string& name) const
{
    return searchPaths ? ::findFile(*searchPaths, name) : std::string();
}
