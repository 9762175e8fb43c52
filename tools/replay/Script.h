#pragma once

#include "Replay.h"

#include <iosfwd>
#include <string>
#include <vector>

class ReplayHost;

/// A driving script: the keys a scripted driver holds, step by step, with
/// waits on the match ("until player1 x >= 120") and an optional leaning
/// helper. Running it on the real game gives a replay. The language is
/// described in docs/replays.md.
struct ScriptCommand {
    int line = 0;
    std::string verb;               ///< press, release, tap, wait, until, balance, require, tolerance
    std::vector<KeyEvent> keys;     ///< press, release, tap
    uint32_t count = 0;             ///< wait: steps; until: the most steps to wait
    Condition condition;            ///< until, require
    int player = 0;                 ///< balance: 0 or 1
    bool on = false;                ///< balance
    float threshold = 0.0f;         ///< balance: the tilt (radians) that makes the driver lean
    Tolerances tolerances;          ///< tolerance
};

struct Script {
    std::vector<std::string> notes; ///< the comment lines at the top
    std::vector<ScriptCommand> commands;
};

bool readScript(std::istream& in, Script& script, std::string& error);
bool readScriptFile(const std::string& filename, Script& script, std::string& error);

/// Plays `script` on a match with `settings` and returns it as a replay (input
/// as the engine took it, final state, tolerances and requirements). False,
/// with `error`, when an "until" runs out of steps or a requirement fails.
bool runScript(ReplayHost& host, const MatchSettings& settings, const Script& script, Replay& replay,
               std::string& error);
