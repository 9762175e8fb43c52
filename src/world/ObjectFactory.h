#pragma once

#include <string>

class Layer;
class Object;
class ParameterMap;
class TiXmlElement;

/// Maps the element names under a layer's "Objects" to the classes they create.
class ObjectFactory {
public:
    using Creator = Object* (*)(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    /// Files `creator` under `elementName`, replacing an earlier entry.
    static void registerType(const std::string& elementName, Creator creator);
    /// Files class T (constructible from (layer, element, game parameters)) under `elementName`.
    template <typename T>
    static void registerType(const std::string& elementName)
    {
        registerType(elementName, [](Layer* layer, const TiXmlElement* element, const ParameterMap* params) -> Object* {
            return new T(layer, element, params);
        });
    }
    /// True when `elementName` has a class.
    static bool isRegistered(const std::string& elementName);
    /// A new object of the class filed under `elementName`; null for an unknown name.
    static Object* create(const std::string& elementName, Layer* layer, const TiXmlElement* element,
                          const ParameterMap* gameParams);
};

/// Files every game object class with the factory. Defined next to the object
/// classes; the program calls it once before it loads a level.
void registerAllObjectTypes();
