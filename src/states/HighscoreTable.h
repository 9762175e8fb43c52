#pragma once

#include "resources/SearchPath.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Engine;

/// One line of a highscore list.
struct HighscoreEntry {
    std::string name;
    uint32_t score = 0; ///< hundredths of a second for ST_TIME, points for ST_POINTS
};

/// The ten best results per level file and score type, kept in "highscore.xml".
///
/// The file is the one thing players care most about, so writing never puts it
/// at risk: the new content goes to a temporary file next to it, is flushed to
/// disk and then renamed over the old one. A file that cannot be read is moved
/// aside (highscore.xml.bak, or .bak.1, .bak.2, ... when that exists) before the
/// first save replaces it. When the file cannot be written the table keeps its
/// entries in memory and says so on stderr.
class HighscoreTable {
public:
    static constexpr unsigned kMaxEntries = 10;

    /// Reads "highscore.xml" from the engine's folder for the player's files.
    explicit HighscoreTable(Engine* engine);
    /// Reads "highscore.xml" from the first of `searchPaths` that holds one; a
    /// table whose file does not exist yet creates it in the first directory.
    explicit HighscoreTable(const SearchPathList& searchPaths);

    /// Writes the whole table; false (with a line on stderr) when the file could not be written.
    bool save();

    /// Copy of the list for (`levelFilename`, `scoreType`), best first; score type 0 has none.
    /// An unknown level and score type are entered in the table, empty.
    std::vector<HighscoreEntry> getEntries(const std::string& levelFilename, int scoreType);
    /// Whether `score` would enter the list: a score of 0, a list that is not full,
    /// or a score better than the last one (more points, or a lower time).
    bool qualifies(uint32_t score, const std::string& levelFilename, int scoreType) const;
    /// Adds the entry if it qualifies and keeps the best `kMaxEntries` in rank order;
    /// equal scores are ordered by name, ignoring case.
    void insert(uint32_t score, const std::string& levelFilename, int scoreType, const std::string& name);

    /// The path the table reads and writes ("" when there is no folder for it at all); the
    /// game's other files for the player belong in the same folder.
    std::string getPath() const;
    /// The folder list of `engine`'s folder for the player's files (empty when it has none).
    static SearchPathList playerPaths(const Engine* engine);

private:
    /// Fills the new table from the file; a missing or unreadable file leaves it
    /// empty. Entries whose value does not parse are skipped.
    void load();

    using ScoreLists = std::map<int, std::vector<HighscoreEntry>>;

    bool moveAsideIfUnreadable(const std::string& path) const;

    SearchPathList searchPaths;
    std::map<std::string, ScoreLists> levels;
};
