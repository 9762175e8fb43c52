#include "world/ObjectFactory.h"

#include <map>

namespace {

std::map<std::string, ObjectFactory::Creator>& table()
{
    static std::map<std::string, ObjectFactory::Creator> creators;
    return creators;
}

} // namespace

void ObjectFactory::registerType(const std::string& elementName, Creator creator)
{
    table()[elementName] = creator;
}

bool ObjectFactory::isRegistered(const std::string& elementName)
{
    return table().count(elementName) != 0;
}

Object* ObjectFactory::create(const std::string& elementName, Layer* layer, const TiXmlElement* element,
                              const ParameterMap* gameParams)
{
    auto it = table().find(elementName);
    return it == table().end() ? nullptr : it->second(layer, element, gameParams);
}
