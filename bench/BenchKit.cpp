#include "BenchKit.h"

#include "ReplayHost.h"

#include "engine/Engine.h"
#include "states/GameState.h"
#include "world/ObjectFactory.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <time.h>

namespace {

const GameMode kAllModes[] = {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH};

// The replay name of each mode: tests/replays/<level>-<tag>[-both].replay.
const char* modeTag(GameMode mode)
{
    switch (mode) {
    case GM_STORY: return "story";
    case GM_TIME_1P: return "1p";
    case GM_TIME_2P: return "2p";
    case GM_CTZ: return "ctz";
    case GM_KOH: return "koh";
    }
    return "?";
}

std::string supportedModesOf(const std::string& levelFile)
{
    std::ifstream in("data/levels/" + levelFile);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key = "supportedGameModes=\"";
    size_t at = text.find(key);
    if (at == std::string::npos)
        return std::string();
    size_t start = at + key.size();
    return text.substr(start, text.find('"', start) - start);
}

} // namespace

std::vector<std::string> shippedLevels()
{
    std::vector<std::string> files;
    std::ifstream in("data/levels/levels.txt");
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == ' '; }), line.end());
        if (!line.empty())
            files.push_back(line);
    }
    if (files.empty())
        std::fprintf(stderr, "zorbel: data/levels/levels.txt lists no levels (run from the repository root)\n");
    return files;
}

bool isTwoPlayerMode(GameMode mode)
{
    return mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
}

std::vector<LevelMode> shippedLevelModes()
{
    std::vector<LevelMode> workloads;
    for (const std::string& file : shippedLevels()) {
        std::istringstream words(supportedModesOf(file));
        std::vector<std::string> listed((std::istream_iterator<std::string>(words)), std::istream_iterator<std::string>());
        std::string stem = file.substr(0, file.rfind('.'));
        for (GameMode mode : kAllModes) {
            if (std::find(listed.begin(), listed.end(), gameModeName(mode)) != listed.end())
                workloads.push_back(LevelMode{file, mode, stem + "/" + gameModeName(mode)});
        }
    }
    return workloads;
}

ParameterMap matchParameters(GameMode mode, const std::string& levelFile, int pointsNeededToWin)
{
    ParameterMap params;
    params.set<GameMode>("gameMode", mode);
    params.set<std::string>("levelFilename", levelFile);
    params.set<int>("pointsNeededToWin", pointsNeededToWin);
    params.set<ControlMode>("controlMode1", CM_FIVE_KEYS);
    params.set<ControlMode>("controlMode2", CM_FIVE_KEYS);
    return params;
}

BenchOptions& benchOptions()
{
    static BenchOptions options;
    return options;
}

void parseBenchOptions(int& argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "--window=%dx%d", &w, &h) == 2 && w > 0 && h > 0)
            benchOptions().window = Vec2i(w, h);
        else if (std::strcmp(argv[i], "--smoke") == 0)
            benchOptions().smoke = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
}

int workload(int normal, int smoke)
{
    return benchOptions().smoke ? smoke : normal;
}

Engine& benchEngine()
{
    static Engine* engine = [] {
        Vec2i size = benchOptions().window;
        auto* e = new Engine(size.x, size.y, 60.0f, "zorbel benchmarks", "", false);
        // Focus comes and goes on a shared display; the measured steps must not stand still.
        SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
        e->addSearchPath("data");
        registerAllObjectTypes();
        // The renderer goes into every result file: software and hardware GL differ by orders of magnitude.
        auto text = [](GLenum what) {
            const GLubyte* value = glGetString(what);
            return value ? std::string(reinterpret_cast<const char*>(value)) : std::string("unknown");
        };
        benchmark::AddCustomContext("gl_renderer", text(GL_RENDERER));
        benchmark::AddCustomContext("gl_version", text(GL_VERSION));
        std::atexit([] { delete &benchEngine(); });
        return e;
    }();
    return *engine;
}

bool ReplayDrivers::load(const LevelMode& workload, std::string& error)
{
    std::string stem = workload.file.substr(0, workload.file.rfind('.'));
    std::string base = "tests/replays/" + stem + "-" + modeTag(workload.mode);
    for (const std::string& candidate : {base + "-both.replay", base + ".replay"}) {
        if (!std::ifstream(candidate))
            continue;
        if (!readReplayFile(candidate, replay, error)) {
            error = candidate + ": " + error;
            return false;
        }
        if (replay.settings.level != workload.file || replay.settings.mode != workload.mode) {
            error = candidate + " plays another level or mode";
            return false;
        }
        path = candidate;
        return true;
    }
    error = "no replay " + base + "[-both].replay";
    return false;
}

void ReplayDrivers::beforeStep(uint32_t tick)
{
    if (tick <= 1)
        next = 0;
    for (; next < replay.input.size() && replay.input[next].tick <= tick; ++next) {
        if (replay.input[next].tick < tick)
            continue;
        for (const KeyEvent& key : replay.input[next].events) {
            auto it = std::find(held.begin(), held.end(), key.key);
            if (key.down && it == held.end())
                held.push_back(key.key);
            else if (!key.down && it != held.end())
                held.erase(it);
            pushKeyEvent(key);
        }
    }
}

void ReplayDrivers::releaseAll()
{
    for (SDLKey key : held)
        pushKeyEvent(KeyEvent{key, false, 0});
    held.clear();
}

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

} // namespace

void StepTimes::start()
{
    cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    threadStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    wallStart = Clock::now();
}

void StepTimes::stop(benchmark::State& state)
{
    double seconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
    threadMax = std::max(threadMax, cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart);
    cpuTotal += cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    samples.push_back(seconds);
    state.SetIterationTime(seconds);
}

void StepTimes::report(benchmark::State& state)
{
    if (samples.empty())
        return;
    std::vector<double> sorted = samples;
    auto middle = sorted.begin() + std::ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    state.counters["p50_us"] = *middle * 1e6;
    state.counters["max_us"] = *std::max_element(samples.begin(), samples.end()) * 1e6;
    state.counters["cpu_us"] = cpuTotal / double(samples.size()) * 1e6;
    state.counters["thread_max_us"] = threadMax * 1e6;
}

void finishGl()
{
    glFinish();
}

namespace {

GameState* gameScreen(Engine& engine)
{
    if (auto* game = dynamic_cast<GameState*>(engine.findState("Game")))
        return game;
    auto* game = new GameState(&engine);
    engine.registerState(game);
    return game;
}

} // namespace

Match::Match(const LevelMode& workload) : workload(workload), screen(gameScreen(benchEngine()))
{
    if (!drivers.load(workload, why))
        std::fprintf(stderr, "bench: %s: %s\n", workload.label.c_str(), why.c_str());
    benchEngine().pushState("Game", matchParameters(workload.mode, workload.file));
}

Match::~Match()
{
    drivers.releaseAll();
    Engine& engine = benchEngine();
    engine.tick();
    if (engine.getCurrentState() == screen)
        engine.popState();
}

bool Match::ok() const
{
    return !drivers.file().empty() && screen->getLevel() && screen->getPlayer1();
}

void Match::skipCountdown()
{
    while (ok() && screen->getCountdown() > 1.0f)
        step();
}

void Match::step()
{
    drivers.beforeStep(++tick);
    benchEngine().tick();
}

bool Match::restartIfOver()
{
    if (screen->getWinner() == -1 && screen->getEndDelay() <= 0.0f && !drivers.over(tick + 1))
        return false;
    drivers.releaseAll();
    screen->loadLevel(workload.file);
    tick = 0;
    skipCountdown();
    return true;
}

bool startBenchmarks(int& argc, char** argv)
{
    parseBenchOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchEngine();
    return true;
}

int runBenchmarks()
{
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
