#pragma once

#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"
#include "resources/ReferenceCounted.h"

#include <string>

class ResourceManager;

/// A file-backed asset created by one of the engine's caches.
class Resource : NonCopyable, public ReferenceCounted {
public:
    /// `filename` is the resolved path ("" when no data directory holds the file);
    /// `parameters` are the effective load options (type defaults with the caller's on top).
    Resource(const std::string& filename, ResourceManager* manager, const ParameterMap& parameters);
    /// Tells the cache to forget this resource.
    ~Resource() override;

    /// Resolved path the resource was loaded from ("" when the file was not found).
    const std::string& getFilename() const { return filename; }
    /// Effective load options.
    const ParameterMap& getParameters() const { return parameters; }
    /// The cache that created the resource (not owned).
    ResourceManager* getManager() const { return manager; }
    /// Called by a cache that is shutting down, so a late release does not reach it.
    void forgetManager() { manager = nullptr; }

private:
    ResourceManager* manager;
    std::string filename;
    ParameterMap parameters;
};
