#pragma once

#include "engine/NonCopyable.h"
#include "resources/Handle.h"
#include "resources/Resource.h"
#include "resources/ResourceManager.h"

#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <utility>

/// The cache of one resource type T. `Manager` supplies `static ParameterMap defaults()`.
/// The cache keeps the creating reference of every resource, so a resource stays
/// loaded however often handles to it come and go, until `dropUnused` or the end.
template <typename T, typename Manager>
class BasicResourceManager : NonCopyable, public ResourceManager {
public:
    using ResourceManager::ResourceManager;
    /// Drops the cache's own reference to every resource; those nobody else holds are freed now.
    ~BasicResourceManager() override
    {
        while (!cache.empty())
            forget(cache.begin());
    }

    /// Resource for `name` loaded with the caller's `parameters` laid over the defaults.
    T* load(const std::string& name, const ParameterMap& parameters) override
    {
        if (name.empty())
            return nullptr;
        std::string path = findFile(name);
        // Missing files get a key of their own per name, so each is reported once
        // and loads as the type's placeholder.
        Key key(path.empty() ? "?" + name : path, parameters);
        auto it = cache.find(key);
        if (it != cache.end())
            return it->second;
        if (path.empty())
            std::fprintf(stderr, "zorbel: data file \"%s\" not found in any data directory\n", name.c_str());
        ParameterMap effective = Manager::defaults();
        effective.merge(parameters);
        T* resource = new T(path, this, effective);
        cache.emplace(std::move(key), resource);
        return resource;
    }

    /// Forgets the first entry that holds `resource`.
    void remove(Resource* resource) override
    {
        for (auto it = cache.begin(); it != cache.end(); ++it) {
            if (it->second == resource) {
                cache.erase(it);
                return;
            }
        }
    }

    /// Frees every cached resource that no handle holds any more.
    void dropUnused()
    {
        for (auto it = cache.begin(); it != cache.end();)
            it = it->second->getRefCount() > 1 ? std::next(it) : forget(it);
    }

    /// A handle to `load(name, parameters)`; null for an empty name.
    virtual Handle<T> get(const std::string& name, const ParameterMap& parameters = ParameterMap())
    {
        return Handle<T>(load(name, parameters));
    }

    /// Number of cached resources.
    size_t size() const { return cache.size(); }

    /// Calls `f` with every cached resource, in key order.
    template <typename F>
    void forEach(F&& f)
    {
        for (auto& entry : cache)
            f(entry.second);
    }

private:
    using Key = std::pair<std::string, ParameterMap>;
    using Entry = typename std::map<Key, T*>::iterator;

    /// Drops the cache's reference to the entry's resource; the entry after it.
    Entry forget(Entry entry)
    {
        T* resource = entry->second;
        Entry next = cache.erase(entry);
        resource->forgetManager();
        resource->release();
        return next;
    }

    std::map<Key, T*> cache;
};
