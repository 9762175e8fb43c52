#pragma once

#include <string>
#include <vector>

/// One data directory; the list is kept sorted by ascending priority.
struct SearchPath {
    int priority = 0;
    std::string directory; ///< always ends in "/"
};

using SearchPathList = std::vector<SearchPath>;

/// Appends `directory` (a "/" is added when missing) with priority 0 and re-sorts the list.
void addSearchPath(SearchPathList& paths, const std::string& directory);
/// The first directory + `name` that opens for reading, or "" when none does.
std::string findFile(const SearchPathList& paths, const std::string& name);
