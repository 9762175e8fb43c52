#include "engine/GameFolders.h"

#include "engine/SafeFile.h"
#include "engine/UserPaths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

std::vector<std::string> GameFolders::searchDirectories() const
{
    std::vector<std::string> directories{data};
    if (!player.empty() && player != data)
        directories.push_back(player);
    return directories;
}

GameFolders findGameFolders(const std::string& executable, const std::string& dataFromBinary)
{
    GameFolders folders;
    bool installed = false;
    size_t slash = executable.rfind('/');
    char resolved[PATH_MAX];
    if (slash != std::string::npos && realpath((executable.substr(0, slash + 1) + dataFromBinary).c_str(), resolved) &&
        pathExists(std::string(resolved) + "/levels/levels.txt")) {
        folders.data = resolved;
        installed = true;
    }
    // A system-wide installation must stay untouched even for root, who could write into it.
    // Without any data there is no game whose files could be kept: a checkout keeps its places.
    if (!installed && (access(folders.data.c_str(), W_OK) == 0 || !pathExists(folders.data)))
        return folders;
    folders.player = userDataDirectory();
    folders.screenshots = folders.player.empty() ? "" : folders.player + "/screenshots";
    return folders;
}

GameFolders findGameFolders()
{
    char executable[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    return findGameFolders(length > 0 ? std::string(executable, size_t(length)) : std::string(), ZORBEL_DATA_FROM_BIN);
}
