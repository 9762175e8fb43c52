// zorbel-soak: the program as it ships - the engine's own main loop with the
// five real screens, full screen - with recorded play instead of a person,
// for measuring whole runs from outside (scripts/whole-game-run).
//
//   zorbel-soak --match LEVEL MODE SECONDS  a match (menu below it, as the menu
//                                           starts it), played by the level's replay
//   zorbel-soak --menu SECONDS              the main menu left alone
//   zorbel-soak --first-frame               says "first-frame" on stdout as soon
//                                           as the menu's first frame is on screen
//
// At the end it prints how many steps the main loop ran against the wall time
// it ran for (a step the loop could not fit in is missing from the count) and
// how many pictures it swapped onto the screen.

#include "BenchKit.h"

#include "engine/Clock.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/Random.h"
#include "states/CreditsState.h"
#include "states/GameState.h"
#include "states/HighscoreState.h"
#include "states/MainMenuState.h"
#include "states/PhysicsState.h"
#include "world/ObjectFactory.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using WallClock = std::chrono::steady_clock;

double secondsSince(WallClock::time_point start)
{
    return std::chrono::duration<double>(WallClock::now() - start).count();
}

// The game screen played by the recorded input of the level's replay.
class ReplayedGame : public GameState {
public:
    using GameState::GameState;

    /// Pushes the keys of the match's first step; right after "Game" was pushed.
    void startDriving()
    {
        tick = 0;
        drivers.beforeStep(1);
    }

    void update() override
    {
        auto now = WallClock::now();
        if (steps > 0) {
            double gap = std::chrono::duration<double>(now - lastStep).count();
            if (steps == 1)
                firstGap = gap;
            if (gap > longestGap) {
                longestGap = gap;
                longestGapStep = steps;
            }
        }
        else
            firstStep = now;
        lastStep = now;
        ++steps;
        GameState::update();
        // Keys pushed now arrive with the next step's events; a replay that has
        // run out starts over, so somebody keeps driving.
        ++tick;
        if (drivers.over(tick + 1)) {
            drivers.releaseAll();
            tick = 0;
        }
        drivers.beforeStep(tick + 1);
    }

    /// Counts the frame in the wall-clock second of the run it was drawn in.
    void render() override
    {
        GameState::render();
        if (steps > 0) {
            const size_t second = size_t(secondsSince(firstStep));
            if (framesPerSecond.size() <= second)
                framesPerSecond.resize(second + 1, 0);
            ++framesPerSecond[second];
        }
    }

    ReplayDrivers drivers;
    std::vector<int> framesPerSecond;
    WallClock::time_point firstStep;
    int steps = 0;
    double longestGap = 0.0;
    int longestGapStep = 0;
    // The gap after the first step holds the level's first frame.
    double firstGap = 0.0;

private:
    uint32_t tick = 0;
    WallClock::time_point lastStep;
};

// The menu, noting when it has drawn a frame.
class WatchedMenu : public MainMenuState {
public:
    using MainMenuState::MainMenuState;
    void update() override
    {
        ++steps;
        MainMenuState::update();
    }
    void render() override
    {
        MainMenuState::render();
        rendered = true;
    }
    int steps = 0;
    bool rendered = false;
};

// The loop's own clock, which also ends the run: after `limit` ms, or (with
// `untilFirstFrame`) as soon as the loop asks the time or rests after the
// menu's first frame was swapped.
class RunClock : public Clock {
public:
    RunClock(Engine& engine, uint32_t limit, const WatchedMenu* menu)
        : engine(engine), limit(limit), untilFirstFrame(menu) {}

    uint32_t ticks() override
    {
        uint32_t now = real.ticks();
        if (!started) {
            started = true;
            start = now;
        }
        if (!sayFirstFrame() && limit && now - start >= limit && !engine.isQuitRequested()) {
            engine.quit();
            quitAt = WallClock::now();
            quitByClock = true;
        }
        return now;
    }

    /// When the clock ended the run, or null when something else did: the
    /// screens' clean-up after that moment is no play time.
    const WallClock::time_point* quitTime() const { return quitByClock ? &quitAt : nullptr; }
    /// The loop rests right after a swap: the first frame is said before the rest, not after it.
    void delay(uint32_t ms) override
    {
        if (!sayFirstFrame())
            real.delay(ms);
    }

private:
    bool sayFirstFrame()
    {
        if (!untilFirstFrame || !untilFirstFrame->rendered || engine.isQuitRequested())
            return false;
        std::printf("first-frame\n");
        std::fflush(stdout);
        engine.quit();
        return true;
    }

    Engine& engine;
    SdlClock real;
    uint32_t limit;
    const WatchedMenu* untilFirstFrame;
    bool started = false;
    uint32_t start = 0;
    WallClock::time_point quitAt;
    bool quitByClock = false;
};

GameMode parseMode(const std::string& text)
{
    GameMode mode = GM_STORY;
    if (parseGameMode(text, mode))
        return mode;
    std::fprintf(stderr, "zorbel-soak: unknown mode \"%s\"\n", text.c_str());
    std::exit(2);
}

int usage()
{
    std::fprintf(stderr, "usage: zorbel-soak --match LEVEL MODE SECONDS | --menu SECONDS | --first-frame\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string what = argc > 1 ? argv[1] : "";
    bool match = what == "--match" && argc == 5;
    bool menuOnly = what == "--menu" && argc == 3;
    bool firstFrame = what == "--first-frame" && argc == 2;
    if (!match && !menuOnly && !firstFrame)
        return usage();
    double seconds = match ? std::atof(argv[4]) : menuOnly ? std::atof(argv[2]) : 0.0;
    GameMode mode = match ? parseMode(argv[3]) : GM_STORY;

    // As the program's entry starts the game.
    randomReset();
    Engine engine(1024, 768, 60.0f, "Quorvell Zorbel 2010", "data/sprites/icon.png");
    hideCursor();
    engine.addSearchPath("data");
    registerAllObjectTypes();
    auto* menu = new WatchedMenu(&engine);
    auto* game = new ReplayedGame(&engine);
    if (match) {
        std::string error;
        if (!game->drivers.load(LevelMode{argv[2], mode, std::string(argv[2]) + "/" + argv[3]}, error)) {
            std::fprintf(stderr, "zorbel-soak: %s\n", error.c_str());
            return 1;
        }
    }
    engine.registerState(menu);
    engine.registerState(game);
    engine.registerState(new PhysicsState(&engine));
    engine.registerState(new CreditsState(&engine));
    engine.registerState(new HighscoreState(&engine));
    engine.pushState("MainMenu", ParameterMap());
    if (match) {
        engine.pushState("Game", matchParameters(mode, argv[2]));
        if (!game->getLevel()) {
            std::fprintf(stderr, "zorbel-soak: %s cannot be played in %s\n", argv[2], argv[3]);
            return 1;
        }
        game->startDriving();
        std::printf("replay %s\n", game->drivers.file().c_str());
    }

    RunClock clock(engine, uint32_t(seconds * 1000.0), firstFrame ? menu : nullptr);
    engine.setClock(&clock);
    auto start = WallClock::now();
    engine.run();
    const WallClock::time_point* quitAt = clock.quitTime();
    double wall = quitAt ? std::chrono::duration<double>(*quitAt - start).count() : secondsSince(start);
    engine.setClock(nullptr);
    if (firstFrame)
        return 0;

    int steps = match ? game->steps : menu->steps;
    // A step runs once a whole 1/60 s has passed, so that many steps are due.
    long expected = long(std::floor(wall * 60.0 + 1e-6));
    std::printf("wall_seconds %.3f\n", wall);
    std::printf("game_seconds %.3f\n", double(engine.getTime()));
    std::printf("steps %d\n", steps);
    std::printf("expected_steps %ld\n", expected);
    std::printf("dropped_steps %ld\n", std::max(0L, expected - long(steps)));
    std::printf("frames_drawn %llu\n", static_cast<unsigned long long>(engine.getSwapCount()));
    if (match) {
        std::printf("longest_gap_ms %.2f\n", game->longestGap * 1000.0);
        std::printf("longest_gap_before_step %d\n", game->longestGapStep);
        std::printf("first_gap_ms %.2f\n", game->firstGap * 1000.0);
        std::printf("winner %d\n", game->getWinner());
        // Whole seconds only: the last one was cut short by the end of the run.
        std::string frames;
        for (size_t i = 0; i + 1 < game->framesPerSecond.size(); ++i)
            frames += (i ? "," : "") + std::to_string(game->framesPerSecond[i]);
        std::printf("frames_per_second %s\n", frames.c_str());
    }
    return 0;
}
