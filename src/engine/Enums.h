#pragma once

#include <cstdint>

/// The five ways to play; the names double as the words of a level's "supportedGameModes".
enum GameMode : int32_t {
    GM_STORY = 0,   ///< "Story": one player collects nuts, no decided end
    GM_TIME_1P = 1, ///< "Zeit, 1 Spieler"
    GM_TIME_2P = 2, ///< "Zeit, 2 Spieler"
    GM_CTZ = 3,     ///< "Capture the ZORBELlnut"
    GM_KOH = 4,     ///< "King of the Hill"
};

/// What a mode records in the highscore table.
enum ScoreType : int32_t {
    ST_NONE = 0,   ///< nothing is recorded
    ST_TIME = 1,   ///< a time; lower is better
    ST_POINTS = 2, ///< points; higher is better
};

/// A player's keyboard layout.
enum ControlMode : int32_t {
    CM_FIVE_KEYS = 0, ///< "5 Tasten"
    CM_FOUR_KEYS = 1, ///< "4 Tasten"
};

/// How the texture loader shrinks a square image by half for each mip level.
enum DownscaleFilter : int32_t {
    DF_BOX = 0,            ///< plain average of the visible texels
    DF_ALPHA_WEIGHTED = 1, ///< colour weighted by alpha; keeps glyph edges from darkening
};
