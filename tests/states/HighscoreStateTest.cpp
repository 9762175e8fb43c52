#include "engine/Engine.h"
#include "engine/Enums.h"
#include "states/HighscoreState.h"
#include "states/HighscoreTable.h"
#include "states/TimeFormat.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs the real screen on the test engine's stack with its table in a scratch
// directory, so that typing goes through SDL events, ticks and the real file.
class HighscoreScreen : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zorbel-hs-screen-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        dir = made;
        addSearchPath(paths, dir);
        build();
    }

    void TearDown() override
    {
        popMine();
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    // A new screen, as at program start: its table reads the file now.
    void build()
    {
        popMine();
        screen = new HighscoreState(&engine, paths);
        engine.registerState(screen);
    }

    void popMine()
    {
        while (screen && engine.getCurrentState() == screen)
            engine.popState();
    }

    void open(int scoreType, uint32_t score1 = 0, const std::string& name1 = "", uint32_t score2 = 0,
              const std::string& name2 = "")
    {
        ParameterMap params;
        params.set("levelFilename", std::string("strecke.xml"));
        params.set("scoreType", ScoreType(scoreType));
        if (score1) {
            params.set("score1", unsigned(score1));
            params.set("name1", name1);
        }
        if (score2) {
            params.set("score2", unsigned(score2));
            params.set("name2", name2);
        }
        engine.pushState("Highscore", params);
        ASSERT_EQ(engine.getCurrentState(), screen);
    }

    // Every byte of `text` typed as a key with that character, then one step.
    void type(const std::string& text)
    {
        for (unsigned char c : text) {
            pushKey(SDLKey(c), true, c);
            pushKey(SDLKey(c), false);
        }
        engine.tick();
    }

    void press(SDLKey key, Uint16 unicode)
    {
        pushKey(key, true, unicode);
        pushKey(key, false);
        engine.tick();
    }

    void erase(int times)
    {
        for (int i = 0; i < times; ++i) {
            pushKey(SDLK_BACKSPACE, true, 8);
            pushKey(SDLK_BACKSPACE, false);
        }
        engine.tick();
    }

    std::vector<HighscoreEntry> stored(int scoreType = ST_TIME)
    {
        return HighscoreTable(paths).getEntries("strecke.xml", scoreType);
    }

    void fillFile(int count, uint32_t firstScore, uint32_t step, int scoreType = ST_TIME)
    {
        HighscoreTable table(paths);
        for (int i = 0; i < count; ++i)
            table.insert(firstScore + uint32_t(i) * step, "strecke.xml", scoreType, "Fahrer " + std::to_string(i + 1));
        ASSERT_TRUE(table.save());
        build();
    }

    Engine& engine = testEngine();
    std::string dir;
    SearchPathList paths;
    HighscoreState* screen = nullptr;
};

std::vector<std::string> namesOf(const std::vector<HighscoreEntry>& entries)
{
    std::vector<std::string> names;
    for (const HighscoreEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

// The frame just rendered, read back once; rows from the top.
class Frame {
public:
    Frame() : size(testEngine().getScreenSize()), rgb(size_t(size.x) * size.y * 3)
    {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, size.x, size.y, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }

    // Pixels of a band of the 32 x 24 unit screen close to the colour (r, g, b);
    // text is anti-aliased, so only the glyphs' cores count.
    int countNear(float left, float top, float width, float height, int r, int g, int b) const
    {
        float unit = float(size.y) / 24.0f;
        int count = 0;
        for (int y = int(top * unit); y < int((top + height) * unit); ++y)
            for (int x = int(left * unit); x < int((left + width) * unit); ++x) {
                const unsigned char* p = &rgb[(size_t(size.y - 1 - y) * size.x + x) * 3];
                if (std::abs(p[0] - r) < 24 && std::abs(p[1] - g) < 24 && std::abs(p[2] - b) < 24)
                    ++count;
            }
        return count;
    }

private:
    Vec2i size;
    std::vector<unsigned char> rgb;
};

} // namespace

TEST(TimeFormat, MinutesSecondsAndHundredthsAreTruncated)
{
    EXPECT_EQ(toHundredths(83.456f), 8345u);
    EXPECT_EQ(toHundredths(5.0f), 500u);
    EXPECT_EQ(toHundredths(59.999f), 5999u);

    EXPECT_EQ(formatHundredths(0), "00:00.00");
    EXPECT_EQ(formatHundredths(6000), "01:00.00");
    EXPECT_EQ(formatHundredths(12345), "02:03.45");
    EXPECT_EQ(formatHundredths(60000), "10:00.00");
    EXPECT_EQ(formatHundredths(8346), "01:23.46");
    EXPECT_EQ(formatHundredths(29), "00:00.29");
}

TEST(HighscoreLayout, ThePendingLineTakesItsRankAndTheListStaysAtTenLines)
{
    std::vector<HighscoreEntry> ten;
    for (uint32_t i = 1; i <= 10; ++i)
        ten.push_back(HighscoreEntry{"p" + std::to_string(i), i * 100});

    std::vector<HighscoreRow> rows = HighscoreState::layoutRows(ten, 250, ST_TIME);
    ASSERT_EQ(rows.size(), 10u);
    for (unsigned i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].rank, i + 1);
        EXPECT_FLOAT_EQ(rows[i].y, 4.0f + 1.5f * float(i));
    }
    EXPECT_EQ(rows[0].entry, 0);
    EXPECT_EQ(rows[1].entry, 1);
    EXPECT_EQ(rows[2].entry, -1) << "250 ranks third";
    EXPECT_EQ(rows[3].entry, 2) << "the old third moves one line down";
    EXPECT_EQ(rows[9].entry, 8) << "the old tenth is not shown";

    rows = HighscoreState::layoutRows(ten, 0, ST_TIME);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[9].entry, 9);

    // Equal to an entry: below it. Points rank the other way round.
    std::vector<HighscoreEntry> three = {{"a", 90}, {"b", 50}, {"c", 10}};
    rows = HighscoreState::layoutRows(three, 50, ST_POINTS);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].entry, -1);
    EXPECT_EQ(rows[2].rank, 3u);
    EXPECT_FLOAT_EQ(rows[2].y, 7.0f);

    rows = HighscoreState::layoutRows(three, 5, ST_POINTS);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.back().entry, -1) << "worse than all: after the last line";
    EXPECT_EQ(rows.back().rank, 4u);
    EXPECT_FLOAT_EQ(rows.back().y, 8.5f);

    rows = HighscoreState::layoutRows({}, 700, ST_TIME);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rank, 1u);
    EXPECT_FLOAT_EQ(rows[0].y, 4.0f);
}

TEST_F(HighscoreScreen, TypingANameAndReturnStoresTheResultAtItsRank)
{
    fillFile(3, 4000, 1000);
    open(ST_TIME, 5432, "Spieler 1");
    EXPECT_EQ(screen->getTypedName(), "Spieler 1");
    EXPECT_EQ(screen->getPendingScore(), 5432u);

    erase(3);
    type("\xE4ger");
    EXPECT_EQ(screen->getTypedName(), "Spiele\xE4ger");
    erase(30);
    EXPECT_EQ(screen->getTypedName(), "") << "backspace on an empty name does nothing";

    // Tab, bell, delete, a C1 control and a character beyond Latin-1 are refused.
    type("Zo");
    for (Uint16 refused : {9, 7, 127, 0x85, 0x20AC})
        press(SDLKey('x'), refused);
    type("rb\xFC" "l");
    EXPECT_EQ(screen->getTypedName(), "Zorb\xFCl");

    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    std::vector<HighscoreEntry> entries = stored();
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{"Fahrer 1", "Fahrer 2", "Zorb\xFCl", "Fahrer 3"}));
    EXPECT_EQ(namesOf(screen->getEntries()), namesOf(entries));

    size_t depth = engine.getStackSize();
    press(SDLK_RETURN, 13);
    EXPECT_EQ(engine.getStackSize(), depth - 1) << "Return after the entry leaves";
}

TEST_F(HighscoreScreen, NamesStopAtSeventeenCharactersAndBlankNamesAreRefused)
{
    open(ST_POINTS, 12, "");
    type("123456789012345678");
    EXPECT_EQ(screen->getTypedName(), "12345678901234567");
    erase(17);

    type("   ");
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 12u) << "a name of spaces is not taken";
    EXPECT_EQ(access((dir + "/highscore.xml").c_str(), F_OK), -1) << "and nothing is written";
    press(SDLKey(160), 160);
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 12u) << "nor is a no-break space";

    type("x ");
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    EXPECT_EQ(namesOf(stored(ST_POINTS)), std::vector<std::string>{"   \xA0x "}) << "stored as typed";
}

TEST_F(HighscoreScreen, TwoPlayersNameTheirResultsInTurnAndTheNamesAreProposedAgain)
{
    fillFile(2, 3000, 3000);
    open(ST_TIME, 5000, "Spieler 1", 4000, "Spieler 2");
    EXPECT_EQ(screen->getTypedName(), "Spieler 1");
    erase(1);
    type("Eins");
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getTypedName(), "Spieler 2") << "player 2's turn with player 2's proposal";
    EXPECT_EQ(screen->getPendingScore(), 4000u);
    EXPECT_EQ(namesOf(stored()), (std::vector<std::string>{"Fahrer 1", "Spieler Eins", "Fahrer 2"}))
        << "player 1's result is saved before player 2 types";

    erase(1);
    type("Zwei");
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    EXPECT_EQ(namesOf(stored()), (std::vector<std::string>{"Fahrer 1", "Spieler Zwei", "Spieler Eins", "Fahrer 2"}));
    press(SDLK_RETURN, 13);

    // The next match: the names confirmed last are proposed instead of the game's.
    open(ST_TIME, 4500, "Spieler 1", 4600, "Spieler 2");
    EXPECT_EQ(screen->getTypedName(), "Spieler Eins");
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getTypedName(), "Spieler Zwei");
}

TEST_F(HighscoreScreen, ResultsThatDoNotQualifyAreNotOfferedAndEscapeLeavesWithoutSaving)
{
    fillFile(10, 1000, 100);
    open(ST_TIME, 1900, "Spieler 1");
    EXPECT_EQ(screen->getPendingScore(), 0u) << "equal to the tenth";
    EXPECT_EQ(screen->getTypedName(), "");
    popMine();

    // Player 1's entry pushes the tenth out; player 2's time, better than that old
    // tenth but worse than the new one, no longer makes the list and is not asked for.
    open(ST_TIME, 1050, "Spieler 1", 1850, "Spieler 2");
    EXPECT_EQ(screen->getPendingScore(), 1050u);
    press(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    EXPECT_EQ(stored().size(), 10u);
    EXPECT_EQ(stored().back().score, 1800u);
    press(SDLK_RETURN, 13);

    open(ST_TIME, 1020, "Spieler 1");
    size_t depth = engine.getStackSize();
    type("abc");
    press(SDLK_ESCAPE, 27);
    EXPECT_EQ(engine.getStackSize(), depth - 1);
    EXPECT_EQ(stored()[1].score, 1050u) << "the unnamed result is dropped";

    open(ST_NONE);
    engine.tick();
    EXPECT_EQ(engine.getStackSize(), depth - 1) << "score type 0 has no list and leaves at once";
}

TEST_F(HighscoreScreen, TheListAndThePendingLineAreDrawnWhereTheyRank)
{
    fillFile(10, 1000, 100);
    open(ST_TIME, 1150, "Spieler 1");
    engine.renderCurrentState();
    Frame frame;

    // Row n (from 0) lies at 4 + 1.5 n units; the pending result ranks third.
    const int orange[3] = {255, 128, 25};
    const int blue[3] = {38, 166, 209};
    EXPECT_GT(frame.countNear(8, 4.0f, 10, 1, blue[0], blue[1], blue[2]), 20) << "first entry";
    EXPECT_GT(frame.countNear(8, 7.0f, 10, 1, orange[0], orange[1], orange[2]), 20) << "the pending line at rank 3";
    EXPECT_EQ(frame.countNear(8, 7.0f, 16, 1, blue[0], blue[1], blue[2]), 0);
    EXPECT_GT(frame.countNear(18, 7.0f, 6, 1, orange[0], orange[1], orange[2]), 20) << "its time";
    EXPECT_GT(frame.countNear(8, 17.5f, 10, 1, blue[0], blue[1], blue[2]), 20) << "the tenth line";
    EXPECT_EQ(frame.countNear(0, 19.0f, 32, 2, blue[0], blue[1], blue[2]), 0) << "no eleventh line";
    EXPECT_GT(frame.countNear(10, 1.0f, 12, 2, 255, 255, 255), 20) << "the title";
    EXPECT_GT(frame.countNear(4, 21.25f, 24, 1.5f, 255, 255, 255), 20) << "the hint";
}
