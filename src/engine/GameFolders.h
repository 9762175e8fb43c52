#pragma once

#include <string>
#include <vector>

// Where the game reads its data and writes the player's files. A source checkout
// started from its root reads and writes its own "data" folder; an installed game
// reads the data installed beside its program and writes into the player's home.

/// The game's folders; the defaults are those of a source checkout run from its root.
struct GameFolders {
    std::string data = "data";               ///< the shipped levels, pictures, sounds and fonts
    std::string player = "data";             ///< highscore.xml, the files kept next to it and the player's own levels; "" for none
    std::string screenshots = "screenshots"; ///< where Print saves pictures; "" for none

    /// The data directories to search, shipped data first, then the player's own folder when it is another one.
    std::vector<std::string> searchDirectories() const;
};

/// The folders of the program at `executable`: the data installed at `dataFromBinary` beside it
/// (any holding levels/levels.txt) or else "data", with the player's files in userDataDirectory()
/// when the data is installed or "data" is there but cannot be written.
GameFolders findGameFolders(const std::string& executable, const std::string& dataFromBinary);

/// The folders of this very program, installed as the build configured it.
GameFolders findGameFolders();
