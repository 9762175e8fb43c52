#include "engine/CubeTransition.h"
#include "engine/Engine.h"
#include "engine/GameFolders.h"
#include "engine/State.h"
#include "engine/UserPaths.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A screen that writes every call it receives into a shared log; the engine owns it from the start.
class RecordingState : public State {
public:
    RecordingState(const std::string& name, Engine* engine, std::vector<std::string>* log)
        : State(name, engine), log(log) { engine->registerState(this); }

    void enter(const ParameterMap& params) override
    {
        log->push_back(name + ".enter");
        entered = params;
    }
    void leave() override { log->push_back(name + ".leave"); }
    void activate() override { log->push_back(name + ".activate"); }
    void deactivate() override { log->push_back(name + ".deactivate"); }
    void update() override
    {
        ++updates;
        if (onUpdate)
            onUpdate(updates);
    }
    void render() override { updatesAtRender.push_back(updates); }
    bool hasPictureChanged() const override { return pictureChanges; }

    std::vector<std::string>* log;
    ParameterMap entered;
    int updates = 0;
    std::vector<int> updatesAtRender;
    std::function<void(int)> onUpdate;
    bool pictureChanges = true;
};

void pushQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void pushFocus(bool gain)
{
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = gain ? 1 : 0;
    event.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&event);
}

} // namespace

// An observer (the replay recorder) sees every key event with the step that reads it.
TEST(EngineKeys, BitsOverSeveralTicksWithTypedKeysAndWhatAnObserverSees)
{
    Engine& e = testEngine();
    runTicks(e, 1);
    std::vector<std::pair<uint64_t, int>> seen;
    e.setEventObserver([&](const SDL_Event& event) {
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
            seen.emplace_back(e.getTickCount(), event.type == SDL_KEYDOWN ? int(event.key.keysym.sym) : -1);
    });
    const uint64_t first = e.getTickCount();
    pushKey(SDLK_a, true, 'a');
    e.tick();
    EXPECT_EQ(e.keyBits(SDLK_a), KEY_DOWN | KEY_PRESSED | KEY_HIT);
    ASSERT_TRUE(e.hasTypedKeys());
    SDL_keysym typed = e.popTypedKey();
    EXPECT_EQ(typed.sym, SDLK_a);
    EXPECT_EQ(typed.unicode, 'a');
    EXPECT_FALSE(e.hasTypedKeys());

    e.tick();
    EXPECT_TRUE(e.isKeyDown(SDLK_a));
    EXPECT_FALSE(e.wasKeyPressed(SDLK_a));
    EXPECT_FALSE(e.wasKeyHit(SDLK_a));

    // Auto-repeats (no new hit) and typed keys that last one tick the vehicle and
    // name-entry tests hold.
    pushKey(SDLK_a, false);
    e.tick();
    EXPECT_EQ(e.keyBits(SDLK_a), KEY_RELEASED);
    e.tick();
    EXPECT_EQ(e.keyBits(SDLK_a), 0);

    // Keys without a character (arrows) set bits but type nothing.
    pushKey(SDLK_LEFT, true);
    pushKey(SDLK_LEFT, false);
    e.tick();
    EXPECT_EQ(e.keyBits(SDLK_LEFT), KEY_PRESSED | KEY_HIT | KEY_RELEASED);
    EXPECT_FALSE(e.hasTypedKeys());
    EXPECT_EQ(e.keyBits(SDLKey(9999)), 0);

    e.setEventObserver(nullptr);
    pushKey(SDLK_DOWN, true);
    pushKey(SDLK_DOWN, false);
    e.tick();
    const std::vector<std::pair<uint64_t, int>> expected = {
        {first + 1, SDLK_a}, {first + 3, -1}, {first + 5, SDLK_LEFT}, {first + 5, -1}};
    EXPECT_EQ(seen, expected);
}

TEST(EngineLoop, AStallIsCaughtUpWithAtMostFourSteps)
{
    Engine& e = testEngine();
    FakeClock clock;
    std::vector<std::string> log;
    auto* state = new RecordingState("LoopStall", &e, &log);
    state->onUpdate = [&](int n) {
        if (n == 3)
            clock.now += 5000; // the machine froze for five seconds
        if (n == 20)
            e.popState();
    };
    e.pushState("LoopStall", ParameterMap());
    runOn(e, clock);

    EXPECT_EQ(state->updates, 20);
    // Renders come once per pass; the 5 s stall happened in step 3, and the pass
    // after it runs exactly steps 4 to 7.
    bool sawCatchUp = false;
    for (size_t i = 1; i < state->updatesAtRender.size(); ++i)
        sawCatchUp |= state->updatesAtRender[i - 1] == 3 && state->updatesAtRender[i] == 7;
    EXPECT_TRUE(sawCatchUp);
    EXPECT_GT(clock.slept, 0u) << "the loop sleeps while the next step is not yet due";
    EXPECT_TRUE(e.isQuitRequested()) << "popping the last screen ends the loop";
}

TEST(EngineLoop, QuitInTheMiddleOfACatchUpEndsTheLoopAndPopsEveryScreen)
{
    Engine& e = testEngine();
    FakeClock clock;
    std::vector<std::string> log;
    new RecordingState("QuitBottom", &e, &log);
    auto* top = new RecordingState("QuitTop", &e, &log);
    top->onUpdate = [&](int n) {
        if (n == 2)
            clock.now += 1000;
        if (n == 4)
            pushQuit(); // seen by the next step of the same catch-up
    };
    e.pushState("QuitBottom", ParameterMap());
    e.pushState("QuitTop", ParameterMap());
    log.clear();
    float timeBefore = e.getTime();
    runOn(e, clock);

    EXPECT_EQ(top->updates, 4) << "the quitting step updates no screen";
    EXPECT_NEAR(e.getTime() - timeBefore, 4 * e.getFrameTime(), 1e-4);
    EXPECT_EQ(top->updatesAtRender.back(), 2) << "nothing is rendered after the quit";
    std::vector<std::string> expected = {"QuitTop.deactivate", "QuitTop.leave", "QuitBottom.activate",
                                         "QuitBottom.deactivate", "QuitBottom.leave"};
    EXPECT_EQ(log, expected);
}

// A game left in the background stands still and rests instead of keeping a core busy.
TEST(EngineLoop, AnInactiveWindowFreezesScreensAndGameTimeAndRestsAQuarterSecondAPass)
{
    Engine& e = testEngine();
    std::vector<std::string> log;
    auto* state = new RecordingState("Frozen", &e, &log);
    e.pushState("Frozen", ParameterMap());

    e.tick();
    EXPECT_EQ(state->updates, 1);
    pushFocus(false);
    e.tick();
    const float frozenAt = e.getTime();
    runTicks(e, 10);
    EXPECT_EQ(state->updates, 1);
    EXPECT_EQ(e.getTime(), frozenAt);
    FakeClock clock;
    pushQuit();
    runOn(e, clock);
    EXPECT_GE(clock.slept, 250u);

    pushFocus(true);
    e.pushState("Frozen", ParameterMap());
    e.tick();
    EXPECT_EQ(state->updates, 2);
    EXPECT_GT(e.getTime(), frozenAt);
    e.popState();
}

TEST(EngineScreens, StackCallsComeInTheirOrderAndUnknownNamesChangeNothing)
{
    Engine& e = testEngine();
    std::vector<std::string> log;
    auto* game = new RecordingState("OrderGame", &e, &log);
    new RecordingState("OrderScores", &e, &log);

    ParameterMap params;
    params.set<std::string>("levelFilename", "x.xml");
    e.pushState("OrderGame", params);
    params.clear(); // the sender's map dies at once; the screen kept its copy
    EXPECT_EQ(game->entered.get<std::string>("levelFilename"), "x.xml");
    const std::string said = stderrOf([&] {
        e.pushState("NoSuchScreen", ParameterMap());
        e.pushState("", ParameterMap());
    });
    EXPECT_NE(said.find("NoSuchScreen"), std::string::npos);
    e.pushState("OrderScores", ParameterMap());
    e.popState();
    EXPECT_EQ(e.getCurrentState(), game);
    e.popState();

    std::vector<std::string> expected = {
        "OrderGame.enter",         "OrderGame.activate", "OrderGame.deactivate",
        "OrderScores.enter",       "OrderScores.activate", "OrderScores.deactivate",
        "OrderScores.leave",       "OrderGame.activate", "OrderGame.deactivate",
        "OrderGame.leave"};
    EXPECT_EQ(log, expected);
}

namespace {

class CountedTransition : public CubeTransition {
public:
    CountedTransition(Engine* engine, float duration, int* alive) : CubeTransition(engine, duration), alive(alive)
    {
        ++*alive;
    }
    ~CountedTransition() override { --*alive; }
    int* alive;
};

int ticksUntilDone(Engine& e, int limit)
{
    int n = 0;
    while (e.getTransition() && n < limit) {
        e.tick();
        ++n;
    }
    return n;
}

} // namespace

TEST(EngineTransitions, LifetimeFollowsTheDuration)
{
    Engine& e = testEngine();
    int alive = 0;
    const std::pair<float, int> cases[] = {{0.75f, 46}, {0.0f, 1}, {-0.5f, 1}};
    for (const auto& [duration, ticks] : cases) {
        e.startTransition(new CountedTransition(&e, duration, &alive));
        EXPECT_NEAR(ticksUntilDone(e, 1000), ticks, 1) << duration << " s";
        EXPECT_EQ(alive, 0);
    }
    e.startTransition(new CountedTransition(&e, -1.0f, &alive));
    EXPECT_EQ(ticksUntilDone(e, 600), 600) << "-1 runs until replaced";

    // A second effect replaces the running one at once.
    Transition* second = new CountedTransition(&e, 0.75f, &alive);
    e.startTransition(second);
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(e.getTransition(), second);
    ticksUntilDone(e, 1000);
    EXPECT_EQ(alive, 0);
}

// A screen whose picture stays is drawn when it arrives and then only after a step
// that outdates the window's picture; meanwhile the loop sleeps until each step is due.
TEST(EngineLoop, AStillPictureIsDrawnOnlyAfterWhatOutdatesItAndTheLoopSleepsMeanwhile)
{
    Engine& e = testEngine();
    FakeClock clock;
    std::vector<std::string> log;
    auto* still = new RecordingState("Still", &e, &log);
    auto* cover = new RecordingState("StillCover", &e, &log);
    still->pictureChanges = false;
    cover->pictureChanges = false;
    still->onUpdate = [&](int n) {
        SDL_Event expose{};
        expose.type = SDL_VIDEOEXPOSE;
        switch (n) {
        case 10: SDL_PushEvent(&expose); break; // read by step 11
        case 20: pushFocus(true); break;        // read by step 21
        case 30: e.setDisplayMode(false, e.getScreenSize()); break;
        case 40: still->pictureChanges = true; break;
        case 41: still->pictureChanges = false; break;
        case 50: e.startTransition(new CubeTransition(&e, 0.05f)); break;
        case 60: e.pushState("StillCover", ParameterMap()); break;
        case 100: e.popState(); break;
        }
    };
    cover->onUpdate = [&](int n) {
        if (n == 5)
            e.popState();
    };
    e.pushState("Still", ParameterMap());
    const uint64_t swapsBefore = e.getSwapCount();
    const uint32_t start = clock.now;
    runOn(e, clock);

    // The effect moves in steps 50 and 51 and ends in step 52, which draws the
    // screen bare; the cover is drawn when pushed, and the screen (still at its
    // step 60) again once the cover is gone.
    const std::vector<int> expected = {1, 11, 21, 30, 40, 50, 51, 52, 60};
    EXPECT_EQ(still->updatesAtRender, expected);
    EXPECT_EQ(cover->updatesAtRender, std::vector<int>{0});
    EXPECT_EQ(e.getSwapCount() - swapsBefore, expected.size() + 1);
    EXPECT_EQ(still->updates + cover->updates, 100 + 5);
    EXPECT_NEAR(double(clock.now - start), 105 * 1000.0 / 60.0, 17.0) << "every step on time";
    EXPECT_GE(clock.slept, 105u * 14u) << "all but the passes' own work is sleep";
}

// A damaged icon must not keep the game from its menu: it is checked like any
// picture before SDL_image sees it. The huge one comes first so that a loader
// without the check fails here at once instead of hanging on the next one.
TEST(EngineWindow, ADamagedIconIsSkippedWithOneLine)
{
    SDL_Surface* icon = Engine::loadIcon("data/sprites/icon.png");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->w, 64);
    SDL_FreeSurface(icon);

    for (const auto& [file, reason] : {std::pair<std::string, std::string>{"declares-1x999999.png", "999999 pixels"},
                                       {"fuzz-chunk-past-end-hangs.png", "more bytes than the file has"}}) {
        const std::string path = "tests/data/bad/texture/" + file;
        const std::string messages = stderrOf([&] { icon = Engine::loadIcon(path); });
        ASSERT_EQ(icon, nullptr) << path;
        ASSERT_EQ(messages.rfind("zorbel: ", 0), 0u) << messages;
        ASSERT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
        ASSERT_NE(messages.find(path), std::string::npos) << messages;
        ASSERT_NE(messages.find(reason), std::string::npos) << messages;
    }
}

// An installed game reads the data beside its program and writes into the player's
// home; a source checkout run from its root reads and writes its "data" folder.
TEST(GameFolders, DataBesideTheProgramOrTheCheckoutAndThePlayersFilesByTheXdgRules)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("zorbel-folders-" + std::to_string(getpid()));
    for (const char* dir : {"usr/bin", "usr/lib", "usr/share/zorbel/levels", "empty/bin", "empty/share/zorbel", "nodata",
                            "readonly/data"})
        fs::create_directories(root / dir);
    std::ofstream(root / "usr/share/zorbel/levels/levels.txt") << "wiese.xml\n";
    fs::permissions(root / "readonly/data", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string checkout = fs::current_path().string();
    const std::string nodata = (root / "nodata").string();
    const std::string readOnly = (root / "readonly").string();
    const bool writesAnywhere = geteuid() == 0; // root can write into the read-only folder
    const std::string installed = (root / "usr/bin/zorbel").string();
    const std::string shipped = (root / "usr/share/zorbel").string();
    const char* kUnset = nullptr;
    const std::string home = "/h/.local/share/zorbel";
    struct Case {
        std::string executable;
        const char* home;
        const char* dataHome;
        const char* configHome;
        std::string workingDirectory;
        std::string data, player, screenshots, config;
    } cases[] = {
        {installed, "/h", kUnset, kUnset, checkout, shipped, home, home + "/screenshots", "/h/.config/zorbel"},
        {installed, "/h", "/x/data", "/x/config", nodata, shipped, "/x/data/zorbel", "/x/data/zorbel/screenshots", "/x/config/zorbel"},
        {installed, "/h", "relative", "", checkout, shipped, home, home + "/screenshots", "/h/.config/zorbel"},
        {installed, kUnset, kUnset, kUnset, checkout, shipped, "", "", ""},
        {installed, "home", kUnset, "/x", checkout, shipped, "", "", "/x/zorbel"},
        {(root / "usr/lib/../bin/zorbel").string(), "/h", kUnset, kUnset, checkout, shipped, home, home + "/screenshots", "/h/.config/zorbel"},
        {(root / "empty/bin/zorbel").string(), "/h", kUnset, kUnset, checkout, "data", "data", "screenshots", "/h/.config/zorbel"},
        {"build/zorbel", "/h", kUnset, kUnset, checkout, "data", "data", "screenshots", "/h/.config/zorbel"},
        {"", "/h", kUnset, kUnset, nodata, "data", "data", "screenshots", "/h/.config/zorbel"},
        {"build/zorbel", "/h", kUnset, kUnset, readOnly, "data", writesAnywhere ? "data" : home,
         writesAnywhere ? "screenshots" : home + "/screenshots", "/h/.config/zorbel"},
    };
    auto setEnvironment = [](const char* name, const char* value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    };
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        if (const char* value = std::getenv(name))
            saved.emplace_back(name, value);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executable + " run in " + c.workingDirectory);
        setEnvironment("HOME", c.home);
        setEnvironment("XDG_DATA_HOME", c.dataHome);
        setEnvironment("XDG_CONFIG_HOME", c.configHome);
        fs::current_path(c.workingDirectory);
        GameFolders folders = findGameFolders(c.executable, "../share/zorbel");
        fs::current_path(checkout);
        EXPECT_EQ(folders.data, c.data);
        EXPECT_EQ(folders.player, c.player);
        EXPECT_EQ(folders.screenshots, c.screenshots);
        EXPECT_EQ(userConfigDirectory(), c.config);
    }
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        unsetenv(name);
    for (const auto& [name, value] : saved)
        setenv(name, value.c_str(), 1);
    fs::remove_all(root);

    using Directories = std::vector<std::string>;
    EXPECT_EQ(GameFolders().searchDirectories(), Directories{"data"});
    EXPECT_EQ((GameFolders{"/usr/share/zorbel", "", ""}).searchDirectories(), Directories{"/usr/share/zorbel"});
    EXPECT_EQ((GameFolders{"/usr/share/zorbel", "/h/z", "/h/z/s"}).searchDirectories(),
              (Directories{"/usr/share/zorbel", "/h/z"}));
}
