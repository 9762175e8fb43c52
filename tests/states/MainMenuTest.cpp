#include "states/MainMenuState.h"

#include "engine/Transition.h"
#include "resources/TextureManager.h"
#include "states/CreditsState.h"
#include "states/GameTestKit.h"
#include "states/PhysicsState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

// Every test writes the level list, level files and highscores it wants into one
// folder that is searched before "data" and holds the player's files while the
// test runs, so the shipped levels never get in the way.
std::string levelDir()
{
    return scratchDir() + "menu/";
}

void writeFile(const std::string& name, const std::string& text)
{
    writeScratchFile("menu/" + name, text);
}

void writeLevel(const std::string& file, const std::string& attributes)
{
    writeFile("levels/" + file, "<?xml version=\"1.0\"?>\n<Level " + attributes + ">\n</Level>\n");
}

class MainMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settleEngine();
        SearchPathList* paths = engine.getSearchPaths();
        paths->insert(paths->begin(), SearchPath{-1, levelDir()});
        GameFolders folders;
        folders.player = levelDir();
        engine.setFolders(folders);
        std::remove((levelDir() + "levels/levels.txt").c_str());
        std::remove((levelDir() + "highscore.xml").c_str());
        // A fresh menu each time: the menu keeps its choices across visits, and
        // a new one takes them from the settings, which start at the defaults.
        engine.getSettings().open("");
        menu = new MainMenuState(&engine);
        engine.registerState(menu);
        game = recorderFor("Game");
        highscore = recorderFor("Highscore");
    }

    void TearDown() override
    {
        settleEngine();
        SearchPathList* paths = engine.getSearchPaths();
        paths->erase(std::remove_if(paths->begin(), paths->end(),
                                    [](const SearchPath& p) { return p.directory.rfind(levelDir(), 0) == 0; }),
                     paths->end());
        engine.setFolders(GameFolders());
    }

    void open() { engine.pushState("MainMenu", ParameterMap()); }

    // Both stop after one round, so a menu that ignores the keys fails instead of hanging.
    void select(int item)
    {
        ASSERT_EQ(engine.getCurrentState(), menu);
        for (int i = 0; i < MainMenuState::kItemCount && menu->getSelectedItem() != item; ++i)
            tap(SDLK_DOWN);
        ASSERT_EQ(menu->getSelectedItem(), item);
    }

    void chooseMode(GameMode mode)
    {
        select(1);
        for (int i = 0; i < 5 && menu->getGameMode() != mode; ++i)
            tap(SDLK_RIGHT);
        ASSERT_EQ(menu->getGameMode(), mode);
    }

    Engine& engine = testEngine();
    MainMenuState* menu = nullptr;
    RecordingState* game = nullptr;
    RecordingState* highscore = nullptr;
};

TEST_F(MainMenuTest, ItemsWrapWithTheMoveSoundTheTargetStaysInRangeLayoutsCountInBinaryAndBeendenQuits)
{
    open();
    VoiceCounter moves("sounds/ghear.ogg");
    tap(SDLK_UP);
    EXPECT_EQ(menu->getSelectedItem(), 7) << "Up from the level item lands on Beenden";
    for (int i = 0; i < 8; ++i) {
        tap(SDLK_DOWN);
        EXPECT_EQ(menu->getSelectedItem(), i);
    }
    EXPECT_EQ(moves.poll(), 9);

    select(3);
    VoiceCounter changes("sounds/gh.ogg");
    // The two layouts count in binary, player 1's the low digit: Right counts up, Left down.
    const int counted[] = {1, 2, 3, 0, 3, 2, 1, 0};
    for (int i = 0; i < 8; ++i) {
        tap(i < 4 ? SDLK_RIGHT : SDLK_LEFT);
        EXPECT_EQ(menu->getControlMode1() + 2 * menu->getControlMode2(), counted[i]) << "step " << i;
    }
    EXPECT_EQ(changes.poll(), 8) << "each change clicks";
    tap(SDLK_LEFT);
    EXPECT_EQ(menu->itemText(3), "Spielersteuerung 1 / 2:   4 Tasten / 4 Tasten");

    // The target goes by one within 1 to 200 (a held key's repeats count as presses: tests/engine).
    select(2);
    auto press = [](SDLKey key, int times) {
        for (int i = 0; i < times; ++i)
            tap(key);
    };
    press(SDLK_LEFT, 3);
    EXPECT_EQ(menu->getPointsNeededToWin(), 2);
    press(SDLK_LEFT, 10);
    EXPECT_EQ(menu->getPointsNeededToWin(), 1);
    press(SDLK_RIGHT, 250);
    EXPECT_EQ(menu->getPointsNeededToWin(), 200);
    EXPECT_EQ(menu->itemText(2), "Zielpunktzahl:   200");

    select(7);
    tap(SDLK_RETURN);
    EXPECT_EQ(engine.getStackSize(), 0u) << "Beenden ends the program";
    EXPECT_EQ(engine.getTransition(), nullptr);
}

TEST_F(MainMenuTest, TheChosenItemSlidesRightAndTheNeonSignRightOfTheItemsFailsOnlyNowAndThen)
{
    open();
    // 19.5 to 31.5 units across and 0.5 to 20.3 down a 32 x 24 unit screen.
    const int area = 384 * 635;
    EXPECT_GT(area - rendered().count(624, 16, 1008, 651, Rgb{0, 0, 0}, 10), area / 4);
    // Its hum swells only while it fails, about once in a thousand steps and for a few steps.
    Handle<Sound> hum = engine.getSoundManager()->get("sounds/neon.ogg");
    int loud = 0;
    for (int i = 0; i < 600; ++i) {
        engine.tick();
        ASSERT_EQ(hum->getInstances().size(), 1u);
        loud += hum->getInstances().front()->getGain() > 0.5f;
    }
    EXPECT_LT(loud, 100);
    // The chosen item has slid right by three quarters of a unit (24 pixels), the others not.
    const Frame shown = rendered();
    const int itemRows[] = {184, 248, 312, 376, 440, 536, 600, 696};
    for (int i = 0; i < MainMenuState::kItemCount; ++i) {
        int ink = 0;
        while (ink < 100 && shown.count(ink, itemRows[i], ink + 1, itemRows[i] + 16, Rgb{0, 0, 0}, 40) == 16)
            ++ink;
        EXPECT_NEAR(ink, i == 0 ? 57 : 33, 4) << "item " << i;
    }
}

// The loop draws the idle menu only when its sign or an item moves, and after a
// visit to the credits the window shows the menu as it is, not the effect's last frame.
TEST_F(MainMenuTest, TheLoopDrawsTheIdleMenuSeldomAndShowsItAsItIsAfterAVisit)
{
    auto* credits = new CreditsState(&engine);
    stderrOf([&] { engine.registerState(credits); });
    open();
    FakeClock clock;
    const uint64_t first = engine.getTickCount();
    const uint64_t swapsBefore = engine.getSwapCount();
    uint64_t idleSwaps = 0;
    auto press = [](SDLKey key) {
        return [key] {
            pushKey(key, true);
            pushKey(key, false);
        };
    };
    // Up twice reaches the credits; Escape comes back with the effect, which has ended long before the end.
    const std::vector<std::pair<uint64_t, std::function<void()>>> script = {
        {300, [&] { idleSwaps = engine.getSwapCount() - swapsBefore; }},
        {300, press(SDLK_UP)}, {310, press(SDLK_UP)}, {320, press(SDLK_RETURN)}, {400, press(SDLK_ESCAPE)},
        {500, [&] { engine.quit(); }}};
    size_t next = 0;
    clock.onReading = [&] {
        while (next < script.size() && engine.getTickCount() - first >= script[next].first)
            script[next++].second();
    };
    runOn(engine, clock);
    EXPECT_LT(credits->getScroll(), 25.0f) << "the credits were shown";
    // Drawn at every third step at most while the sign shimmers, yet it does.
    EXPECT_GE(idleSwaps, 15u);
    EXPECT_LE(idleSwaps, 300u / 3u + 10u);

    // The last step may have moved the sign, so only the items are compared.
    const Frame onWindow;
    open();
    EXPECT_EQ(menu->getSelectedItem(), 6);
    engine.renderCurrentState();
    EXPECT_TRUE(Frame().same(onWindow, 0, 0, 620, 768));
}

TEST_F(MainMenuTest, GamesAndHighscoresAreRefusedWithTheErrorSoundWhereTheLevelHasNoSuchModeOrList)
{
    writeFile("levels/levels.txt", "plain.xml hill.xml\n");
    writeLevel("plain.xml", "name=\"Plain\"");
    writeLevel("hill.xml", "name=\"Hill\" supportedGameModes=\"GM_STORY GM_TIME_1P GM_CTZ GM_KOH\"");
    // Capture and king keep no scores, whatever the file holds; the story's points list is empty.
    writeFile("highscore.xml", "<?xml version=\"1.0\" ?>\n<Highscore>\n"
                               "  <Level filename=\"hill.xml\">\n"
                               "    <ScoreType type=\"0\"><Score name=\"Ada\" value=\"1234\" /></ScoreType>\n"
                               "    <ScoreType type=\"1\"><Score name=\"Ada\" value=\"1234\" /></ScoreType>\n"
                               "  </Level>\n</Highscore>\n");
    open();
    ASSERT_EQ(menu->getLevelCount(), 2);
    VoiceCounter errors("sounds/error.ogg");
    VoiceCounter confirms("sounds/gha.ogg");
    int refusals = 0;
    // A level that supports no mode refuses every one, each from another of the items 0 to 4 (all start a game).
    for (GameMode mode : {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH}) {
        chooseMode(mode);
        select(int(mode));
        tap(SDLK_RETURN);
        EXPECT_EQ(errors.poll(), ++refusals) << "mode " << mode;
    }
    select(0);
    tap(SDLK_RIGHT);
    for (GameMode mode : {GM_CTZ, GM_KOH, GM_STORY}) {
        chooseMode(mode);
        select(5);
        tap(SDLK_RETURN);
        EXPECT_EQ(errors.poll(), ++refusals) << "highscores of mode " << mode;
    }
    EXPECT_EQ(game->enters + highscore->enters, 0);
    EXPECT_EQ(confirms.poll(), 0);
}

TEST_F(MainMenuTest, EveryChoiceOpensItsRealScreenWithWhatWasChosenAndComesBack)
{
    // The real screens in place of the recorders, reading the test's level list and highscore file.
    std::string course = readFileBytes(scratchDir() + "levels/" + game_test::fullCourse());
    course.replace(course.find("<Level "), 7, "<Level name=\"Race\" supportedGameModes=\"GM_TIME_2P\" ");
    writeFile("levels/race.xml", course);
    writeFile("levels/levels.txt", "race.xml");
    writeFile("highscore.xml", "<?xml version=\"1.0\" ?>\n<Highscore><Level filename=\"race.xml\">"
                               "<ScoreType type=\"1\"><Score name=\"Ada\" value=\"1234\" /></ScoreType>"
                               "</Level></Highscore>\n");
    registerAllObjectTypes();
    auto* realGame = new GameState(&engine);
    auto* realScores = new HighscoreState(&engine);
    auto* realCredits = new CreditsState(&engine);
    auto* realPhysics = new PhysicsState(&engine);
    stderrOf([&] {
        for (State* screen : std::initializer_list<State*>{realGame, realScores, realCredits, realPhysics})
            engine.registerState(screen);
    });
    open();
    VoiceCounter confirms("sounds/gha.ogg");
    chooseMode(GM_TIME_2P);
    select(2);
    tap(SDLK_RIGHT);
    tap(SDLK_RIGHT);
    select(3);
    tap(SDLK_LEFT); // 0 / 0 counts down to 1 / 1
    tap(SDLK_LEFT); // and on to 0 / 1

    struct Case {
        const char* what;
        std::function<void()> choose;
        State* screen;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"game", [&] { select(4), tap(SDLK_RETURN); }, realGame,
         [&] {
             EXPECT_EQ(realGame->getLevelFilename(), "race.xml");
             EXPECT_EQ(realGame->getGameMode(), GM_TIME_2P);
             EXPECT_EQ(realGame->getParams().get<int>("pointsNeededToWin"), 7);
             ASSERT_NE(realGame->getPlayer2(), nullptr);
             EXPECT_EQ(realGame->getPlayer1()->getControlMode(), CM_FIVE_KEYS);
             EXPECT_EQ(realGame->getPlayer2()->getControlMode(), CM_FOUR_KEYS);
             engine.getTextureManager()->forEach([](Texture* t) {
                 EXPECT_EQ(t->getFilename().find("logo.png"), std::string::npos) << "the menu sign is freed";
             });
         }},
        {"highscores", [&] { select(5), tap(SDLK_RETURN); }, realScores,
         [&] {
             ASSERT_EQ(realScores->getEntries().size(), 1u) << "the race's time list";
             EXPECT_EQ(realScores->getEntries()[0].name, "Ada");
             EXPECT_EQ(realScores->getPendingScore(), 0u);
         }},
        {"credits", [&] { select(6), tap(SDLK_RETURN); }, realCredits,
         [&] { EXPECT_FLOAT_EQ(realCredits->getScroll(), 25.0f); }},
        {"sandbox", [&] { tap(SDLK_F5); }, realPhysics, [&] { EXPECT_EQ(realPhysics->getBodyCount(), 8); }},
    };
    int confirmed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.choose();
        ASSERT_EQ(engine.getCurrentState(), c.screen);
        ASSERT_NE(engine.getTransition(), nullptr);
        EXPECT_EQ(confirms.poll(), confirmed += c.screen != realPhysics);
        c.check();
        runTicks(engine, 10);
        tap(SDLK_ESCAPE);
        ASSERT_EQ(engine.getCurrentState(), menu);
        EXPECT_EQ(engine.getStackSize(), 1u);
    }
}

TEST_F(MainMenuTest, ChoicesSurviveARestartAndADamagedFileGivesTheDefaultsAndABackup)
{
    writeLevel("first.xml", "name=\"First\" supportedGameModes=\"GM_STORY\"");
    writeLevel("second.xml", "name=\"Second\" supportedGameModes=\"GM_TIME_2P\"");
    writeFile("levels/levels.txt", "first.xml second.xml");
    const std::string folder = levelDir() + "config";
    const std::string path = folder + "/zorbel/settings.xml";
    std::filesystem::remove_all(folder);
    // A restart as far as the menu can tell: the settings read afresh from the file, a new menu on them.
    auto restart = [&](const std::string& expectedMessage) {
        settleEngine();
        const std::string said = stderrOf([&] { engine.getSettings().open(path); });
        EXPECT_TRUE(expectedMessage.empty() ? said.empty()
                                            : said.find(path) != std::string::npos && said.find(expectedMessage) != std::string::npos &&
                                                  std::count(said.begin(), said.end(), '\n') == 1)
            << said;
        menu = new MainMenuState(&engine);
        engine.registerState(menu);
        open();
    };
    auto shown = [&] {
        std::string items;
        for (int item = 0; item < 4; ++item)
            items += menu->itemText(item) + "|";
        return items;
    };
    const std::string defaults = "Level:   First|Spielmodus:   Zeit, 1 Spieler|Zielpunktzahl:   5|"
                                 "Spielersteuerung 1 / 2:   5 Tasten / 5 Tasten|";

    // No file yet: the defaults. The choices are saved when a game starts, the
    // target chosen after it when the program ends.
    restart("");
    EXPECT_EQ(shown(), defaults);
    tap(SDLK_RIGHT);
    chooseMode(GM_TIME_2P);
    select(3);
    tap(SDLK_LEFT);
    select(4);
    tap(SDLK_RETURN);
    ASSERT_EQ(game->enters, 1);
    EXPECT_NE(readFileBytes(path).find("gameMode=\"2\""), std::string::npos) << readFileBytes(path);
    engine.popState();
    select(2);
    tap(SDLK_LEFT);
    tap(SDLK_ESCAPE);
    const std::string chosen = "Level:   Second|Spielmodus:   Zeit, 2 Spieler|Zielpunktzahl:   4|"
                               "Spielersteuerung 1 / 2:   4 Tasten / 4 Tasten|";
    restart("");
    EXPECT_EQ(shown(), chosen);

    struct Case {
        const char* what;
        std::string file;
        const char* message; ///< what the one line on stderr names; "" for silence
        std::string expected;
    };
    const Case cases[] = {
        {"unreadable", "<Settings gameMode=\"2\"", "unreadable", defaults},
        {"another root", "<Highscore gameMode=\"2\"/>", "no \"Settings\" element", defaults},
        {"bad values", "<Settings level=\"second.xml\" gameMode=\"9\" pointsNeededToWin=\"x\" controlMode1=\"1\" ghostShown=\"2\"/>",
         "ghostShown \"2\" is not a whole number from 0 to 1",
         "Level:   Second|Spielmodus:   Zeit, 1 Spieler|Zielpunktzahl:   5|Spielersteuerung 1 / 2:   4 Tasten / 5 Tasten|"},
        {"a level no longer listed", "<Settings level=\"gone.xml\" gameMode=\"2\"/>", "",
         "Level:   First|Spielmodus:   Zeit, 2 Spieler|Zielpunktzahl:   5|Spielersteuerung 1 / 2:   5 Tasten / 5 Tasten|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settleEngine();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/zorbel");
        writeFile("config/zorbel/settings.xml", c.file);
        restart(c.message);
        EXPECT_EQ(shown(), c.expected);
        tap(SDLK_ESCAPE);
        // The damaged file is kept beside the new one, which reads back without complaint.
        EXPECT_EQ(readFileBytes(path + ".bak"), *c.message ? c.file : "");
        restart("");
        EXPECT_EQ(shown(), c.expected);
    }
}

TEST_F(MainMenuTest, TheFirstPadMovesTheSelectionChangesChoicesStartsAGameAndQuits)
{
    writeLevel("race.xml", "name=\"Race\" supportedGameModes=\"GM_TIME_2P\"");
    writeFile("levels/levels.txt", "race.xml");
    open();
    engine.getPads().setCount(2);
    auto padTap = [&](const SDL_Event& event) {
        pushEvent(event);
        pushEvent(padRelease(event));
        engine.tick();
    };
    struct Step {
        SDL_Event event;
        int selected;
        GameMode mode;
    };
    const Step steps[] = {
        {padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_DOWN), 1, GM_TIME_1P},
        {padEvent(SDL_JOYAXISMOTION, 0, 1, 30000), 2, GM_TIME_1P},
        {padEvent(SDL_JOYAXISMOTION, 0, 1, -30000), 1, GM_TIME_1P},
        {padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHT), 1, GM_TIME_2P},
        {padEvent(SDL_JOYAXISMOTION, 0, 0, -30000), 1, GM_TIME_1P},
        {padEvent(SDL_JOYAXISMOTION, 0, 0, 30000), 1, GM_TIME_2P},
        // The second pad is the second player's alone.
        {padEvent(SDL_JOYHATMOTION, 1, 0, SDL_HAT_DOWN), 1, GM_TIME_2P},
        {padEvent(SDL_JOYBUTTONDOWN, 1, 0), 1, GM_TIME_2P},
    };
    for (const Step& step : steps) {
        padTap(step.event);
        EXPECT_EQ(menu->getSelectedItem(), step.selected);
        EXPECT_EQ(menu->getGameMode(), step.mode);
    }
    EXPECT_EQ(game->enters, 0);
    padTap(padEvent(SDL_JOYBUTTONDOWN, 0, 0));
    EXPECT_EQ(game->enters, 1) << "the first button is Return";
    engine.popState();
    padTap(padEvent(SDL_JOYBUTTONDOWN, 0, 1));
    EXPECT_EQ(engine.getStackSize(), 0u) << "the second button is Escape";
    engine.getPads().setCount(0);
}

TEST_F(MainMenuTest, UnreadableLevelFilesAreSkippedAndAnEmptyListStartsNothing)
{
    // Missing and unreadable files are rows of tests/data/bad/levellist.
    writeFile("levels/levels.txt", "good.xml other-root.xml unnamed.xml");
    writeLevel("good.xml", "name=\"Gute Stra\xDF" "e\" supportedGameModes=\"GM_STORY\"");
    writeFile("levels/other-root.xml", "<?xml version=\"1.0\"?>\n<TileSet name=\"Nope\"/>\n");
    writeLevel("unnamed.xml", "supportedGameModes=\"GM_TIME_1P\"");
    open();

    EXPECT_EQ(menu->getLevelFilenames(), (std::vector<std::string>{"good.xml", "unnamed.xml"}));
    ASSERT_EQ(menu->getLevelNames(), (std::vector<std::string>{"Gute Stra\xDF" "e", "unnamed.xml"}));
    tap(SDLK_LEFT);
    EXPECT_EQ(menu->getLevelIndex(), 1) << "Left from the first level wraps to the last";
    tap(SDLK_RIGHT);
    EXPECT_EQ(menu->getLevelIndex(), 0);

    // The list is reread on every visit; a chosen level that is gone falls back to the first.
    tap(SDLK_RIGHT);
    engine.popState();
    writeFile("levels/levels.txt", "unnamed.xml good.xml");
    open();
    EXPECT_EQ(menu->itemText(0), "Level:   Gute Stra\xDF" "e") << "the index survives the visit";
    engine.popState();
    writeFile("levels/levels.txt", "unnamed.xml");
    open();
    EXPECT_EQ(menu->getLevelIndex(), 0);

    // With an empty list nothing can be chosen or started.
    engine.popState();
    writeFile("levels/levels.txt", " \n");
    open();
    VoiceCounter errors("sounds/error.ogg");
    VoiceCounter changes("sounds/gh.ogg");
    EXPECT_EQ(menu->itemText(0), "Level:   ");
    tap(SDLK_RIGHT);
    tap(SDLK_LEFT);
    EXPECT_EQ(changes.poll(), 0);
    tap(SDLK_RETURN);
    select(5);
    tap(SDLK_RETURN);
    EXPECT_EQ(errors.poll(), 2);
    EXPECT_EQ(game->enters + highscore->enters, 0);
}

TEST_F(MainMenuTest, ThePlayersOwnLevelsFollowTheShippedOnesUnlessNamedLikeOne)
{
    writeFile("levels/levels.txt", "good.xml");
    writeLevel("good.xml", "name=\"Gut\"");
    // The player's folder as an installed game has it: searched after the shipped data.
    const std::string own = levelDir() + "own/";
    writeFile("own/levels/levels.txt", "mine.xml good.xml");
    writeFile("own/levels/mine.xml", "<Level name=\"Meins\"/>");
    writeFile("own/levels/good.xml", "<Level name=\"Kopie\"/>");
    GameFolders folders;
    folders.data = levelDir();
    folders.player = own;
    engine.setFolders(folders);
    engine.addSearchPath(own);
    const std::string messages = stderrOf([&] { open(); });
    EXPECT_EQ(menu->getLevelNames(), (std::vector<std::string>{"Gut", "Meins"}));
    EXPECT_NE(messages.find(own + "levels/levels.txt: level \"good.xml\" has the file name of " + levelDir()), std::string::npos)
        << messages;
}

TEST_F(MainMenuTest, TypedCharactersCollectOnTheMenu)
{
    // Return types a line break; on a level that supports nothing it starts no game.
    writeFile("levels/levels.txt", "plain.xml\n");
    writeLevel("plain.xml", "name=\"Plain\"");
    open();
    type("Hi\xFFx\b\ra");
    EXPECT_EQ(menu->getTypedText(), "Hi\xFF\na");

    // Only what can be shown in the corner above the items stays: no control
    // characters or characters outside Latin-1, at most four lines of 32.
    for (Uint16 unicode : {9, 27, 127, 0x85, 0x100, 0x20AC})
        tap(SDLK_WORLD_0, unicode);
    EXPECT_EQ(menu->getTypedText(), "Hi\xFF\na");
    type(std::string(40, 'w') + std::string(5, '\r') + "z");
    EXPECT_EQ(menu->getTypedText(), "Hi\xFF\na" + std::string(31, 'w') + "\n\nz");

    type(std::string(40, '\b'));
    EXPECT_EQ(menu->getTypedText(), "");
}

} // namespace
