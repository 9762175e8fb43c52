#pragma once

#include "Replay.h"

#include <cstdint>

class ReplayHost;

struct RecordLimits {
    uint32_t maxTicks = 0;     ///< 0: no limit
    float afterDecided = 1.0f; ///< seconds to go on once the match is decided; < 0 never stops there
};

/// Plays a match in real time on the game window and records the keyboard:
/// the engine's steps run at 60 a second and draw after each step (after
/// every fourth when drawing falls behind, as in the game), and every
/// key event a step takes from the queue goes into the replay. Escape or
/// closing the window ends the recording before the step that would take it;
/// so do `limits`. The state after the last step is the expected one.
void record(ReplayHost& host, const MatchSettings& settings, const RecordLimits& limits, Replay& replay);

/// The match has its result: in the time trials every driver is through the
/// finish, in the capture and king modes a winner is known. Story runs are never decided.
bool isDecided(GameMode mode, const MatchState& state);
