// Every file under tests/data/bad/<kind>/ goes through the reader the game
// uses for that kind, and must meet what tests/data/bad/README.md says of it:
// no crash, a line on stderr naming the file whenever something is refused,
// and the stand-in the game goes on with (placeholder, silence, dropped
// layer, backup). A new bad file needs a README row, no code.
#include "support/GlFeedback.h"
#include "support/TestEngine.h"

#include "engine/Enums.h"
#include "resources/Font.h"
#include "resources/FontManager.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/SoundManager.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "states/GhostRun.h"
#include "states/HighscoreTable.h"
#include "states/MainMenuState.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Object.h"
#include "world/ObjectFactory.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kBad = "tests/data/bad/";

struct Expectation {
    std::string reaction;
    std::string says; // a fragment of the lines, or "nothing"
};

// The README rows "| `kind/file` | reaction | `what the line says` |".
std::map<std::string, Expectation> readme()
{
    std::map<std::string, Expectation> rows;
    std::ifstream in(kBad + "README.md");
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, '|');) {
            cell.erase(0, cell.find_first_not_of(" `"));
            cell.erase(cell.find_last_not_of(" `") + 1);
            cells.push_back(cell);
        }
        if (cells.size() == 4 && line.rfind("| `", 0) == 0)
            rows[cells[1]] = {cells[2], cells[3]};
    }
    return rows;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Checks the game's own lines in `messages` (libraries add theirs): at least
// one, the first naming `name`, when `complains`; exactly `exactly` when it is
// not 0; and the row's fragment, or none at all for "nothing".
void expectLines(const std::string& messages, const std::string& name, bool complains, const Expectation& row,
                 int exactly = 0)
{
    std::vector<std::string> ours;
    for (const std::string& line : linesOf(messages))
        if (line.rfind("zorbel: ", 0) == 0)
            ours.push_back(line);
    if (row.says == "nothing") {
        EXPECT_TRUE(ours.empty()) << messages;
        return;
    }
    if (complains) {
        ASSERT_FALSE(ours.empty()) << "refused without a word";
        EXPECT_NE(ours.front().find(name), std::string::npos) << messages;
    }
    EXPECT_TRUE(!exactly || int(ours.size()) == exactly) << messages;
    EXPECT_TRUE(row.says == "-" || messages.find(row.says) != std::string::npos) << row.says << "\n" << messages;
}

// A second of play, drawn from where the level puts the camera and from far away.
void expectPlays(Level& level)
{
    for (int i = 0; i < 60; ++i)
        level.update();
    renderLevel(level, level.findPlayerObject(0));
    level.cameraPosition = Vec2f(1e30f, -1e30f);
    level.setZoom(0.0f);
    renderLevel(level);
    for (const Layer* layer : level.getLayers()) {
        for (const auto& [id, object] : layer->getObjects()) {
            const Vec2f p = object->getPosition();
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(object->getAngle())) << id;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Runs `action`, putting what it writes to stderr into `messages`.
template <typename Action>
auto capturing(std::string& messages, Action&& action)
{
    testing::internal::CaptureStderr();
    auto result = action();
    messages = testing::internal::GetCapturedStderr();
    return result;
}

std::unique_ptr<Level> loadLevel(const std::string& name, GameMode mode, std::string& messages)
{
    // The level reads the match's settings as long as it lives, as it does from the game screen.
    static ParameterMap params;
    params.set<GameMode>("gameMode", mode);
    params.set<int>("pointsNeededToWin", 5);
    params.set<ControlMode>("controlMode1", CM_FIVE_KEYS);
    params.set<ControlMode>("controlMode2", CM_FOUR_KEYS);
    return std::unique_ptr<Level>(capturing(messages, [&] { return Level::load(&testEngine(), name, &params); }));
}

} // namespace

// The bad files sit in a data directory searched before "data", so that they
// stand in for shipped files of the same name.
class BadFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        SearchPathList* paths = testEngine().getSearchPaths();
        paths->insert(paths->begin(), SearchPath{-1, dir});
        registerAllObjectTypes();
    }
    void TearDown() override
    {
        SearchPathList* paths = testEngine().getSearchPaths();
        paths->erase(paths->begin());
    }

    // Runs `check` on every file of `kind` with its README row, after copying the
    // file into the data directory as `as` (a folder when it ends in '/').
    template <typename Check>
    void forEach(const std::string& kind, const std::string& as, Check&& check)
    {
        static const std::map<std::string, Expectation> rows = readme();
        int files = 0;
        for (const auto& entry : fs::directory_iterator(kBad + kind)) {
            const std::string file = entry.path().filename().string();
            SCOPED_TRACE(kBad + kind + "/" + file);
            auto row = rows.find(kind + "/" + file);
            if (row == rows.end()) {
                ADD_FAILURE() << "no row in " << kBad << "README.md says what the game does with it";
                continue;
            }
            ++files;
            const std::string name = as.back() == '/' ? as + file : as;
            fs::remove_all(dir + name);
            fs::create_directories(fs::path(dir + name).parent_path());
            fs::copy(entry.path(), dir + name, fs::copy_options::recursive);
            check(file, name, row->second);
        }
        EXPECT_GT(files, 0);
    }

    const std::string dir = scratchDir() + "bad/";
};

TEST_F(BadFiles, PicturesAreReplacedByTheCheckerWithALine)
{
    forEach("texture", "sprites/", [&](const std::string&, const std::string& name, const Expectation& row) {
        std::string messages;
        Handle<Texture> texture =
            capturing(messages, [&] { return testEngine().getTextureManager()->get(name); });
        ASSERT_TRUE(texture);
        const bool placeholder = row.reaction == "placeholder";
        EXPECT_EQ(texture->isLoaded(), !placeholder);
        expectLines(messages, name, placeholder, row, placeholder ? 1 : 0);
        if (placeholder) {
            EXPECT_EQ(texture->getWidth(), Texture::kPlaceholderSize);
        }
        texture->bind();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    });
}

TEST_F(BadFiles, FontsAreUnusableWithALineOrMeasureFinite)
{
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += char(c);
    forEach("font", "fonts/", [&](const std::string&, const std::string& name, const Expectation& row) {
        std::string messages;
        Handle<Font> font = capturing(messages, [&] { return testEngine().getFontManager()->get(name); });
        ASSERT_TRUE(font);
        const bool unusable = row.reaction == "unusable";
        EXPECT_EQ(font->isLoaded(), !unusable);
        expectLines(messages, name, unusable, row);
        const Vec2f drawn = font->draw(Vec2f(10, 10), 32, RGBA(1, 1, 1, 1), every + "\nAB");
        const Vec2f measured = font->measure(1e30f, every);
        if (unusable) {
            EXPECT_EQ(drawn, Vec2f(0, 0));
            EXPECT_EQ(measured, Vec2f(0, 0));
        }
        EXPECT_TRUE(std::isfinite(drawn.x) && std::isfinite(drawn.y) && std::isfinite(measured.x)) << drawn.x;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    });
}

TEST_F(BadFiles, SoundsAreSilencedWithALineOrPlayWhatDecodes)
{
    forEach("sound", "sounds/", [&](const std::string&, const std::string& name, const Expectation& row) {
        for (bool streaming : {false, true}) {
            SCOPED_TRACE(streaming ? "streamed" : "decoded at once");
            ParameterMap parameters;
            parameters.set<bool>("streaming", streaming);
            std::string messages;
            Handle<Sound> sound =
                capturing(messages, [&] { return testEngine().getSoundManager()->get(name, parameters); });
            ASSERT_TRUE(sound);
            const bool silent = row.reaction == "silent";
            EXPECT_EQ(sound->isPlayable(), !silent);
            expectLines(messages, name, silent, row, silent ? 1 : 0);
            EXPECT_TRUE(std::isfinite(sound->getDuration()));
            Handle<SoundInstance> voice = sound->play(false, 1.0f, 1.0f);
            ASSERT_TRUE(voice);
            runTicks(testEngine(), 3);
            voice->fade(0.0f, 1.0f, 0.01f, 1.0f, FE_STOP);
            runTicks(testEngine(), 3);
            voice->stop();
            EXPECT_FALSE(voice->isValid());
        }
    });
}

TEST_F(BadFiles, TileSetsLoadInPartOrDropOnlyTheirLayer)
{
    const std::string tiles = "<Row>0,1,2,3,4,5,6,7,8,9,10,11,12,4294967295</Row>";
    forEach("tileset", "tilesets/", [&](const std::string& file, const std::string& name, const Expectation& row) {
        fs::create_directories(dir + "levels");
        std::ofstream(dir + "levels/uses-tileset.xml")
            << R"X(<Level size="(20, 10)" gravity="(0, 10)"><Layers><ImageLayer id="sky" imageFilename="bg-sky.png"/>)X"
            << R"X(<TileMapLayer id="ground" tileSetFilename=")X" << file << R"X(" enablePhysics="1"><Objects>)X"
            << R"X(<SimpleObject id="box" type="Box" position="(2.5, -2)"/></Objects><Row/><Row/><Row/>)X"
            << tiles << tiles << tiles << "</TileMapLayer></Layers></Level>";
        std::string messages;
        std::unique_ptr<Level> level = loadLevel("levels/uses-tileset.xml", GM_TIME_1P, messages);
        ASSERT_NE(level, nullptr) << messages;
        const bool dropped = row.reaction == "layer dropped";
        EXPECT_EQ(level->findLayer("ground") == nullptr, dropped);
        EXPECT_NE(level->findLayer("sky"), nullptr);
        expectLines(messages, name, dropped, row);
        expectPlays(*level);
    });
}

TEST_F(BadFiles, LevelsAreRefusedWithALineOrPlayInEveryMode)
{
    forEach("level", "levels/", [&](const std::string&, const std::string& name, const Expectation& row) {
        for (int mode = GM_STORY; mode <= GM_KOH; ++mode) {
            SCOPED_TRACE("game mode " + std::to_string(mode));
            std::string messages;
            std::unique_ptr<Level> level = loadLevel(name, GameMode(mode), messages);
            const bool refused = row.reaction == "refused";
            EXPECT_EQ(level == nullptr, refused);
            expectLines(messages, name, refused, row);
            if (level) {
                capturing(messages, [&] { return expectPlays(*level), 0; });
            }
        }
    });
}

// An unreadable table is moved aside whole before the first save; what reads
// is kept; either way the new entry reaches the disk.
TEST_F(BadFiles, HighscoresAreReadInPartOrKeptAsABackup)
{
    forEach("highscore", "highscore.xml", [&](const std::string& file, const std::string&, const Expectation& row) {
        fs::remove(dir + "highscore.xml.bak");
        SearchPathList paths;
        addSearchPath(paths, dir);
                std::string messages;
        EXPECT_TRUE(capturing(messages, [&] {
            HighscoreTable table(paths);
            table.insert(1, "neu.xml", ST_TIME, "Neu");
            return table.save();
        }));
        const bool backup = row.reaction == "backup";
        expectLines(messages, "highscore.xml", true, row);
        EXPECT_EQ(fs::exists(dir + "highscore.xml.bak"), backup);
        if (backup) {
            const std::string kept = fs::is_directory(kBad + "highscore/" + file) ? "/inside" : "";
            EXPECT_EQ(readFileBytes(dir + "highscore.xml.bak" + kept), readFileBytes(kBad + "highscore/" + file + kept));
        }
        EXPECT_EQ(capturing(messages, [&] { return HighscoreTable(paths).getEntries("neu.xml", ST_TIME).size(); }), 1u);
        EXPECT_EQ(messages, "") << "the saved table reads cleanly";
    });
}

// A bad record run is no ghost, and the level's highscores stay as they were.
TEST_F(BadFiles, GhostsAreDroppedWithALine)
{
    uint64_t checksum = 0;
    ASSERT_TRUE(levelChecksum(*testEngine().getSearchPaths(), "wiese.xml", checksum));
    forEach("ghost", "wiese.ghost", [&](const std::string&, const std::string& name, const Expectation& row) {
        SearchPathList paths;
        addSearchPath(paths, dir);
        GhostRun run;
        std::string messages;
        EXPECT_FALSE(capturing(messages, [&] {
            return loadGhost(ghostPath(HighscoreTable(paths), "wiese.xml"), "wiese.xml", checksum, run);
        }));
        EXPECT_TRUE(run.steps.empty());
        expectLines(messages, name, true, row, 1);
    });
}

// The menu offers the levels of the list that exist and are levels.
TEST_F(BadFiles, LevelListsOfferOnlyRealLevels)
{
    forEach("levellist", "levels/levels.txt", [&](const std::string&, const std::string&, const Expectation& row) {
        MainMenuState menu(&testEngine());
        std::string messages;
        capturing(messages, [&] { return menu.enter(ParameterMap()), 0; });
        const int offered = std::stoi(row.reaction.substr(row.reaction.find(' ')));
        EXPECT_EQ(menu.getLevelCount(), offered);
        EXPECT_EQ(int(menu.getLevelNames().size()), offered);
        expectLines(messages, "levels/levels.txt", row.says != "nothing", row);
        menu.render();
        menu.leave();
        fs::remove(dir + "levels/levels.txt");
    });
}

// Each line of a values file is one attribute text: no reader lets a number
// through that is not finite, and the readers the row names ("keeps int,
// vector, size, colour") keep their default.
TEST_F(BadFiles, ValueTextsKeepTheDefault)
{
    const Vec2f vecDefault(1.5f, -2.5f);
    const Vec2i sizeDefault(7, 9);
    const RGBA colourDefault(0.25f, 0.5f, 0.75f, 0.125f);
    forEach("values", "values/", [&](const std::string& file, const std::string&, const Expectation& row) {
        auto keeps = [&](const char* reader) { return row.reaction.find(reader) != std::string::npos; };
        for (const std::string& text : linesOf(readFileBytes(kBad + "values/" + file))) {
            SCOPED_TRACE(text);
            const Vec2f vec = fromString<Vec2f>(text, vecDefault);
            const RGBA colour = fromString<RGBA>(text, colourDefault);
            fromString<unsigned>(text, 7u);
            EXPECT_TRUE(std::isfinite(fromString<float>(text, 0.5f)) && std::isfinite(vec.x) && std::isfinite(vec.y) &&
                        std::isfinite(colour.r) && std::isfinite(colour.a));
            EXPECT_TRUE(!keeps("int") || fromString<int>(text, -7) == -7);
            EXPECT_TRUE(!keeps("vector") || vec == vecDefault);
            EXPECT_TRUE(!keeps("size") || fromString<Vec2i>(text, sizeDefault) == sizeDefault);
            EXPECT_TRUE(!keeps("colour") || (colour.r == colourDefault.r && colour.g == colourDefault.g &&
                                             colour.b == colourDefault.b && colour.a == colourDefault.a));
        }
    });
}
