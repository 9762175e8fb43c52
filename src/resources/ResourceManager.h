#pragma once

#include "engine/ParameterMap.h"
#include "resources/SearchPath.h"

#include <string>

class Engine;
class Resource;

/// Untyped face of a resource cache, which resources use to unregister themselves.
class ResourceManager {
public:
    /// Neither pointer is owned; both outlive the cache.
    ResourceManager(const SearchPathList* paths, Engine* engine) : searchPaths(paths), engine(engine) {}
    virtual ~ResourceManager() = default;

    /// The cached or newly loaded resource for `name` with the caller's `parameters`; null for "".
    virtual Resource* load(const std::string& name, const ParameterMap& parameters) = 0;
    /// Forgets `resource` (called from its destructor).
    virtual void remove(Resource* resource) = 0;

    /// Resolves `name` against the search paths; "" when no directory holds it.
    std::string findFile(const std::string& name) const;
    Engine* getEngine() const { return engine; }

protected:
    const SearchPathList* searchPaths;
    Engine* engine;
};
