#include "engine/UserPaths.h"

#include <cstdlib>

namespace {

// The XDG rules ignore relative values: they would depend on the working directory.
std::string xdgDirectory(const char* variable, const char* fallbackBelowHome)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return std::string(value) + "/zorbel";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + fallbackBelowHome + "/zorbel";
    return "";
}

} // namespace

std::string userDataDirectory()
{
    return xdgDirectory("XDG_DATA_HOME", "/.local/share");
}

std::string userConfigDirectory()
{
    return xdgDirectory("XDG_CONFIG_HOME", "/.config");
}
