#pragma once

#include "objects/PlayerObject.h"

#include <cstdint>
#include <string>
#include <vector>

class HighscoreTable;
class Level;
struct SearchPath;

/// One step of a recorded run as the ghost file keeps it: the chassis in 1/1024 world
/// units, the other bodies relative to it, every angle in 1/65536 of a turn.
struct GhostStep {
    int32_t chassisX = 0;
    int32_t chassisY = 0;
    int16_t offsetX[3] = {0, 0, 0}; ///< front wheel, rear wheel, rider minus the chassis
    int16_t offsetY[3] = {0, 0, 0};
    uint16_t angle[4] = {0, 0, 0, 0}; ///< in body order
    uint8_t layer = 0;                ///< index into `GhostRun::layers`
    bool facingLeft = false;
};

/// The motion of one time-trial run, step by step of the match clock: step 0 is the
/// moment the countdown lets the vehicle go, the last one the step it crossed the finish.
/// It is kept as the level's ghost ("<level>.ghost" next to highscore.xml) and drawn
/// from the stored motion, so it plays as recorded whatever the physics do today.
struct GhostRun {
    /// Longest run kept: ten minutes of steps; a longer one is not recorded further.
    static constexpr size_t kMaxSteps = 36000;

    std::string levelFilename;
    uint64_t levelChecksum = 0;
    uint32_t hundredths = 0; ///< the run's time as the highscore list keeps it
    uint8_t playerNo = 0;    ///< whose sprites it drives with
    std::vector<std::string> layers;
    std::vector<GhostStep> steps;
    /// Set when the run outgrew `kMaxSteps`; such a run is never kept.
    bool cut = false;

    /// Appends `player`'s pose as the next step.
    void record(const PlayerObject& player);
    /// The pose at `step`; steps past the end give the last one. Needs at least one step.
    VehiclePose pose(size_t step) const;
    /// The id of the layer the vehicle was in at `step` (clamped as in `pose`).
    const std::string& layerAt(size_t step) const;

    /// The file's bytes.
    std::string toBytes() const;
    /// Reads the file's bytes into `run`; false with the reason in `why` when they are
    /// not a whole, undamaged ghost file of this version.
    static bool fromBytes(const std::string& bytes, GhostRun& run, std::string& why);
};

/// Checksum (64-bit FNV-1a) of `bytes`: the ghost file keeps the level file's, and its own.
uint64_t ghostChecksum(const std::string& bytes);

/// The ghost file of `levelFilename` beside the table's highscore.xml; "" without a data folder.
std::string ghostPath(const HighscoreTable& table, const std::string& levelFilename);

/// Checksum of the level file "levels/`levelFilename`" found through `searchPaths`;
/// false when it cannot be read.
bool levelChecksum(const std::vector<SearchPath>& searchPaths, const std::string& levelFilename, uint64_t& checksum);

/// Reads the ghost at `path` for the level `levelFilename` with `checksum` into `run`.
/// No file is no ghost; a damaged, truncated or foreign one is no ghost with one line on stderr.
bool loadGhost(const std::string& path, const std::string& levelFilename, uint64_t checksum, GhostRun& run);

/// Writes `run` to `path` atomically (creating the folder); false with a line on stderr when it cannot.
bool saveGhost(const std::string& path, const GhostRun& run);

/// Writes `run` to `path` unless the ghost there (of the same level) is at least as fast; true when written.
bool keepIfFaster(const std::string& path, const GhostRun& run);
