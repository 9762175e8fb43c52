#pragma once

#include "Replay.h"

#include <set>
#include <string>
#include <vector>

class ReplayHost;

/// Where and when a playback draws.
struct PlaybackView {
    bool render = false;              ///< draw every step, as the game would
    std::string screenshotDir;        ///< "" for no screenshots
    std::set<uint32_t> screenshotAt;  ///< steps after which a screenshot is taken
    std::vector<std::string> written; ///< the screenshot files made
};

/// Plays `replay`'s input on the real game, one step after the other, and returns the state after its last step.
MatchState play(ReplayHost& host, const Replay& replay, PlaybackView* view = nullptr);

/// The outcome of a playback measured against the recording.
struct Verdict {
    MatchState actual;
    std::vector<std::string> differences; ///< beyond the tolerances
    std::vector<std::string> unmet;       ///< requirements that do not hold
    bool identical = false;               ///< every value bit for bit as recorded

    bool passed() const { return differences.empty() && unmet.empty(); }
};

Verdict verify(ReplayHost& host, const Replay& replay, PlaybackView* view = nullptr);
