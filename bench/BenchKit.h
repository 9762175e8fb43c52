#pragma once

// What the benchmark programs share: one real engine on the display, the
// shipped levels with their modes, the settings the menu would hand to the
// game, a scripted pair of drivers, and per-step timing.

#include "engine/Enums.h"
#include "engine/ParameterMap.h"
#include "engine/Vec2.h"

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
/// The mode identifier as level files write it ("GM_KOH").
std::string modeId(GameMode mode);
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

/// The fixed input standing in for recorded play: both players hold accelerate
/// from the start and lean forward and back in a fixed rhythm, player 2 a
/// second out of phase. Keys go in as real SDL key events, so they travel the
/// game's own input path; an event pushed before a step is seen by that step.
class ScriptedDrivers {
public:
    explicit ScriptedDrivers(bool twoPlayers) : twoPlayers(twoPlayers) {}
    ~ScriptedDrivers() { releaseAll(); }
    ScriptedDrivers(const ScriptedDrivers&) = delete;
    ScriptedDrivers& operator=(const ScriptedDrivers&) = delete;

    /// Pushes the key changes for driving step `step` (0 = first step with controls on).
    void beforeStep(int step);
    /// Lets go of every key still held.
    void releaseAll();

private:
    void set(SDLKey key, bool down);

    bool twoPlayers;
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
/// stack with the level and mode, driven by `ScriptedDrivers`.
class Match {
public:
    explicit Match(const LevelMode& workload);
    /// Lets go of the keys and takes the game screen off the stack.
    ~Match();
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    /// False when the level could not be played (the game has said why).
    bool ok() const;
    /// Runs the countdown up to the moment the controls come on.
    void skipCountdown();
    /// One game step with the drivers' keys for it: what the main loop's tick does.
    void step();
    /// Once a match is decided its end screens would follow; a fresh start keeps
    /// the workload a match in progress. True when it restarted (countdown run).
    bool restartIfDecided();
    GameState& game() const { return *screen; }

private:
    LevelMode workload;
    GameState* screen;
    ScriptedDrivers drivers;
    int drivingStep = 0;
};
