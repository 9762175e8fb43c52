#pragma once

#include <string>

// Where the game keeps the player's own files when it is installed: the XDG base
// directories, so that an installed game writes only into the player's home.

/// $XDG_DATA_HOME/zorbel, or $HOME/.local/share/zorbel when that is unset or not
/// absolute; "" when neither gives an absolute path. No trailing slash; not created.
std::string userDataDirectory();

/// $XDG_CONFIG_HOME/zorbel, or $HOME/.config/zorbel likewise; "" when there is none.
std::string userConfigDirectory();
