#include "resources/SearchPath.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

void addSearchPath(SearchPathList& paths, const std::string& directory)
{
    SearchPath entry;
    entry.directory = directory;
    if (entry.directory.empty() || entry.directory.back() != '/')
        entry.directory += '/';
    paths.push_back(entry);
    std::stable_sort(paths.begin(), paths.end(),
              [](const SearchPath& a, const SearchPath& b) { return a.priority < b.priority; });
}

std::string findFile(const SearchPathList& paths, const std::string& name)
{
    for (const SearchPath& path : paths) {
        std::string candidate = path.directory + name;
        // A directory opens as a stream on Linux but is no data file.
        struct stat info;
        if (stat(candidate.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        std::ifstream file(candidate.c_str(), std::ios::in | std::ios::binary);
        if (file.is_open())
            return candidate;
    }
    return std::string();
}
