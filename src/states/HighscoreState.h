#pragma once

#include "engine/State.h"
#include "resources/Font.h"
#include "resources/Handle.h"
#include "states/GhostRun.h"
#include "states/HighscoreTable.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// One line of the list as the screen lays it out.
struct HighscoreRow {
    unsigned rank;
    float y;   ///< top of the line, in screen units (the screen is 32 x 24)
    int entry; ///< index into the list, or -1 for the result waiting for a name
};

/// "Highscore": shows the list of one level and score type and, when the game
/// hands over qualifying results, lets the players type their names one after
/// the other and stores them. Its table is the only one that writes the file.
///
/// Takes "levelFilename" (string) and "scoreType" (ScoreType), and from the game
/// player 1's and player 2's results "score1"/"score2" (unsigned int) with the
/// proposed names "name1"/"name2"; either may come alone. A result may bring
/// its run ("run1"/"run2", the ghost file's bytes): when its name makes it the
/// best of the list, the run is kept as the level's ghost. On a time list, W
/// (while no name is typed) plays the level's ghost; Escape comes back.
class GhostViewer;

class HighscoreState : public State {
public:
    static constexpr unsigned kMaxNameLength = 17;

    /// The table reads "highscore.xml" in the engine's folder for the player's files.
    explicit HighscoreState(Engine* engine);
    /// The table reads and writes "highscore.xml" in `highscorePaths` instead.
    HighscoreState(Engine* engine, const SearchPathList& highscorePaths);
    ~HighscoreState() override;

    void enter(const ParameterMap& params) override;
    void leave() override;
    void update() override;
    void render() override;

    /// Where the list's lines go when `pendingScore` (0 for none) waits for a name:
    /// the pending line takes the rank it would get, the lines below move down,
    /// and no more than `HighscoreTable::kMaxEntries` lines are shown.
    static std::vector<HighscoreRow> layoutRows(const std::vector<HighscoreEntry>& entries, uint32_t pendingScore,
                                                int scoreType);

    /// How the list writes `score` of `scoreType`.
    static std::string scoreText(uint32_t score, int scoreType);

    /// The name being typed (empty when no result waits).
    const std::string& getTypedName() const { return name1; }
    /// The result waiting for the name being typed; 0 when none.
    uint32_t getPendingScore() const { return score1; }
    const std::vector<HighscoreEntry>& getEntries() const { return entries; }
    /// The record run being played after W; null while the list is shown.
    const GhostViewer* getViewer() const { return viewer.get(); }
    /// The help line at the bottom, as it reads now (Latin-1).
    std::string helpLine() const;

private:
    void leaveScreen();
    void typeKey(const SDL_keysym& key);
    void confirmName();
    /// Player 2's result becomes the one being named.
    void takeSecondResult();
    /// Keeps the run of the name just given as the level's ghost when that made it the best and faster.
    void keepRecordRun();
    /// Plays the level's ghost in place of the list, when it has one.
    void watchRecordRun();
    /// The level's ghost, if it has a good one; reports a bad one.
    bool loadLevelGhost(GhostRun& run);

    Handle<Font> font;
    Handle<Font> titleFont;
    std::string levelFilename;
    int scoreType = 0;
    uint32_t score1 = 0;
    uint32_t score2 = 0;
    std::string name1;
    std::string name2;
    std::string run1;
    std::string run2;
    std::string lastNames[2];
    int inputPlayer = 0;
    HighscoreTable table;
    std::vector<HighscoreEntry> entries;
    float cursorRate = 3.1415927f;
    std::unique_ptr<GhostViewer> viewer;
    bool hasGhost = false;
};
