#pragma once

// What the benchmark programs share: one real engine on the display, the
// shipped levels with their modes, the settings the menu would hand to the
// game, recorded play from the levels' replays, and per-step timing.

#include "engine/Enums.h"
#include "engine/ParameterMap.h"
#include "engine/Vec2.h"
#include "Replay.h"

#include <benchmark/benchmark.h>
#include <SDL.h>

#include <chrono>
#include <string>
#include <vector>

class Engine;

/// One workload: a shipped level played in one of the modes it lists.
struct LevelMode {
    std::string file;  ///< under "levels/", e.g. "wiese.xml"
    GameMode mode;
    std::string label; ///< "wiese/GM_TIME_2P"
};

/// Every level of "levels/levels.txt" in every mode its "supportedGameModes" names, in list order.
std::vector<LevelMode> shippedLevelModes();
/// The level files of "levels/levels.txt", in list order.
std::vector<std::string> shippedLevels();
bool isTwoPlayerMode(GameMode mode);
/// What the main menu hands to "Game" for `mode` on `levelFile` (five-key layouts).
ParameterMap matchParameters(GameMode mode, const std::string& levelFile, int pointsNeededToWin = 200);

/// Options of our own, taken out of the command line before Google Benchmark sees it.
struct BenchOptions {
    Vec2i window{1024, 768}; ///< "--window=WxH"
    bool smoke = false;      ///< "--smoke": every benchmark does the least work that still runs its code
};
BenchOptions& benchOptions();
void parseBenchOptions(int& argc, char** argv);
/// Takes our options, hands the rest to Google Benchmark and opens the engine;
/// false when an argument is not understood.
bool startBenchmarks(int& argc, char** argv);
/// Runs the registered benchmarks; the program's exit status.
int runBenchmarks();
/// `normal`, or `smoke` under "--smoke".
int workload(int normal, int smoke = 1);

/// The one engine of the program: a window of the chosen size on the current
/// display, "data" as search path, every object type registered.
Engine& benchEngine();

/// Recorded play standing in for players: the key events of the shipped replay
/// of a level and mode (tests/replays), each pushed as a real SDL key event just
/// before the match step it was recorded for, so it travels the game's own
/// input path. Replays where both players drive are preferred ("-both").
class ReplayDrivers {
public:
    ReplayDrivers() = default;
    ~ReplayDrivers() { releaseAll(); }
    ReplayDrivers(const ReplayDrivers&) = delete;
    ReplayDrivers& operator=(const ReplayDrivers&) = delete;

    /// Reads the replay of `workload`; false, with the reason in `error`, when there is none.
    bool load(const LevelMode& workload, std::string& error);
    /// The replay file that `load` read.
    const std::string& file() const { return path; }
    /// Pushes the events of match step `tick` (1 = the first step after "Game" was pushed);
    /// the ticks must come in order, starting again at 1 for a new match.
    void beforeStep(uint32_t tick);
    /// The recorded play has ended before step `tick`.
    bool over(uint32_t tick) const { return tick > replay.ticks; }
    /// Lets go of every key still held.
    void releaseAll();

private:
    std::string path;
    Replay replay;
    size_t next = 0;
    std::vector<SDLKey> held;
};

/// Per-step times of one benchmark run: the wall time of each step goes to the
/// benchmark's manual clock. Reported as counters (microseconds):
/// - "p50_us" and "max_us": the median and the worst step in wall time;
/// - "cpu_us": CPU time of the whole process per step on average, the software
///   renderer's own threads included;
/// - "thread_max_us": the worst step in CPU time of the calling thread.
/// Unlike wall time the CPU figures hardly change when other programs compete
/// for the cores (a step that is preempted is long in wall time only).
class StepTimes {
public:
    using Clock = std::chrono::steady_clock;
    explicit StepTimes(size_t expected) { samples.reserve(expected); }
    void start();
    /// Records the step begun by `start`.
    void stop(benchmark::State& state);
    void report(benchmark::State& state);

private:
    std::vector<double> samples;
    double cpuTotal = 0.0;
    double threadMax = 0.0;
    Clock::time_point wallStart;
    double cpuStart = 0.0;
    double threadStart = 0.0;
};

/// Waits for the GL to finish what it was given, so a software frame is counted whole.
void finishGl();

class GameState;

/// A match as the menu starts it: the real "Game" screen pushed on the engine's
/// stack with the level and mode, driven by the level's replay (`ReplayDrivers`).
class Match {
public:
    explicit Match(const LevelMode& workload);
    /// Lets go of the keys and takes the game screen off the stack.
    ~Match();
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    /// False when the level could not be played or has no replay (`problem` says why).
    bool ok() const;
    const std::string& problem() const { return why; }
    /// Runs the countdown, with the replay's keys, up to the moment the controls come on.
    void skipCountdown();
    /// One game step with the replay's keys for it: what the main loop's tick does.
    void step();
    /// Once a match is decided its end screens would follow, and once the replay
    /// ends nobody drives: a fresh start from the replay's first step keeps the
    /// workload a match in progress. True when it restarted (countdown run).
    bool restartIfOver();
    GameState& game() const { return *screen; }

private:
    LevelMode workload;
    GameState* screen;
    ReplayDrivers drivers;
    std::string why;
    uint32_t tick = 0;
};
