#pragma once

#include "engine/Enums.h"

#include <SDL.h>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// A replay: the settings a match starts with, the key events of every step
// and the state the match was in after the last step. The text form is
// described in docs/replays.md.

/// What the main menu hands to the game screen.
struct MatchSettings {
    std::string level; ///< file name under "levels/"
    GameMode mode = GM_TIME_1P;
    ControlMode controlMode1 = CM_FIVE_KEYS;
    ControlMode controlMode2 = CM_FIVE_KEYS;
    int pointsNeededToWin = 5;
};

/// One key event as the engine took it from the queue.
struct KeyEvent {
    SDLKey key = SDLK_UNKNOWN;
    bool down = true;
    Uint16 unicode = 0; ///< the typed character, for name entry

    bool operator==(const KeyEvent& other) const
    {
        return key == other.key && down == other.down && unicode == other.unicode;
    }
};

/// The events that go into the queue before step `tick` (counted from 1).
struct TickInput {
    uint32_t tick = 0;
    std::vector<KeyEvent> events;
};

struct PlayerState {
    bool present = false;
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;
    float speed = 0.0f; ///< of the chassis; for scripts, not part of the expected state
    std::string layer;
    int points = 0;
    int life = 0;
    float finishTime = 0.0f;
    bool controls = false; ///< for scripts, not part of the expected state
};

struct MatchState {
    uint32_t ticks = 0;
    std::string screen; ///< name of the screen on top of the stack; "none" when it is empty
    int winner = -1;
    float matchTime = 0.0f;
    float countdown = 0.0f;
    /// Best score of the level's highscore list for the mode (hundredths of a second in the
    /// time trials, points in the story); -1 while the list is empty and in the other modes.
    long long record = -1;
    PlayerState players[2];
};

/// How far the recorded floating-point values may be from the played ones.
struct Tolerances {
    float position = 0.0f; ///< world units, per coordinate
    float angle = 0.0f;    ///< radians
    float time = 0.0f;     ///< seconds: match clock, countdown, finish times
};

/// `<subject> <field> <op> <value>`: "player1 finishTime > 0", "match winner == 1".
struct Condition {
    std::string subject; ///< "player1", "player2" or "match"
    std::string field;
    std::string op; ///< <, <=, >, >=, ==, !=
    double value = 0.0;
};

struct Replay {
    std::vector<std::string> notes; ///< the comment lines at the top, without "# "
    MatchSettings settings;
    uint32_t ticks = 0;
    std::vector<TickInput> input;
    MatchState expected;
    Tolerances tolerances;
    std::vector<Condition> requirements;
};

/// "up", "right_ctrl", "w", "f5", ...; "key<number>" for symbols without a name here.
std::string keyName(SDLKey key);
/// The inverse of `keyName`; false for anything else.
bool parseKeyName(const std::string& name, SDLKey& key);

/// Reads "+up", "-w" or "+a/97" (the character the key types after the slash); false for anything else.
bool parseEvent(const std::string& word, KeyEvent& event);

/// "GM_STORY" ... "GM_KOH".
std::string gameModeName(GameMode mode);
bool parseGameMode(const std::string& name, GameMode& mode);

/// Reads a replay; on failure `error` says which line is wrong and why.
bool readReplay(std::istream& in, Replay& replay, std::string& error);
bool readReplayFile(const std::string& filename, Replay& replay, std::string& error);
void writeReplay(std::ostream& out, const Replay& replay);
bool writeReplayFile(const std::string& filename, const Replay& replay);

/// The state as the lines of an "expect" block (without tolerances and requirements).
void writeState(std::ostream& out, const MatchState& state);

/// Reads "tolerance position P angle A time T" (any of the three pairs).
bool parseTolerances(const std::vector<std::string>& words, Tolerances& tolerances, std::string& error);
/// Reads "<subject> <field> <op> <value>" from `words` starting at `first`.
bool parseCondition(const std::vector<std::string>& words, size_t first, Condition& condition, std::string& error);
/// The value `condition` talks about; false when the state has no such value (an absent player).
bool conditionValue(const MatchState& state, const Condition& condition, double& value);
/// Whether `state` meets `condition`; an absent value never does.
bool holds(const MatchState& state, const Condition& condition);
std::string describe(const Condition& condition);

/// What differs between `expected` and `actual` beyond `tolerances`, one line per value.
std::vector<std::string> compareStates(const MatchState& expected, const MatchState& actual,
                                       const Tolerances& tolerances);
/// Bit for bit the same (every value the expected state holds).
bool sameState(const MatchState& a, const MatchState& b);

/// Splits a line into white-space-separated words; "#" starts a comment.
std::vector<std::string> splitWords(const std::string& line);
