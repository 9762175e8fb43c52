#include "resources/Resource.h"

#include "resources/ResourceManager.h"

Resource::Resource(const std::string& filename_, ResourceManager* manager_, const ParameterMap& parameters_)
    : manager(manager_), filename(filename_), parameters(parameters_)
{
}

Resource::~Resource()
{
    if (manager)
        manager->remove(this);
}
