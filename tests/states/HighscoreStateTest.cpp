#include "states/GameTestKit.h"
#include "states/TimeFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The real screen on the test engine's stack with its table in the game kit's
// scratch directory, so that typing goes through SDL events, ticks and the real file.
class HighscoreScreen : public game_test::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        screen = realHighscores();
    }

    void open(ScoreType scoreType, uint32_t score1 = 0, const std::string& name1 = "", uint32_t score2 = 0,
              const std::string& name2 = "")
    {
        ParameterMap params;
        params.set("levelFilename", std::string("strecke.xml"));
        params.set("scoreType", scoreType);
        params.set("score1", unsigned(score1));
        params.set("name1", name1);
        params.set("score2", unsigned(score2));
        params.set("name2", name2);
        engine.pushState("Highscore", params);
        ASSERT_EQ(engine.getCurrentState(), screen);
    }

    void erase(int times) { type(std::string(size_t(times), '\b')); }

    std::vector<std::string> storedNames(ScoreType scoreType = ST_TIME)
    {
        std::vector<std::string> names;
        for (const HighscoreEntry& entry : HighscoreTable(scorePaths).getEntries("strecke.xml", scoreType))
            names.push_back(entry.name);
        return names;
    }

    void fillFile(int count, uint32_t firstScore, uint32_t step)
    {
        HighscoreTable table(scorePaths);
        for (int i = 0; i < count; ++i)
            table.insert(firstScore + uint32_t(i) * step, "strecke.xml", ST_TIME, "Fahrer " + std::to_string(i + 1));
        ASSERT_TRUE(table.save());
        screen = realHighscores(); // its table reads the file as at program start
    }

    HighscoreState* screen = nullptr;
};

} // namespace

TEST(TimeFormat, MinutesSecondsAndHundredthsAreTruncated)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "00:00.00"},  {5.0f, "00:05.00"},    {59.999f, "00:59.99"}, {60.0f, "01:00.00"},
        {83.456f, "01:23.45"}, {123.456f, "02:03.45"}, {600.0f, "10:00.00"},
    };
    for (const auto& [seconds, shown] : cases)
        EXPECT_EQ(formatHundredths(toHundredths(seconds)), shown) << seconds << " s";
}

TEST(HighscoreLayout, ThePendingLineTakesItsRankAndTheListStaysAtTenLines)
{
    std::vector<HighscoreEntry> ten;
    for (uint32_t i = 1; i <= 10; ++i)
        ten.push_back(HighscoreEntry{"p" + std::to_string(i), i * 100});
    const std::vector<HighscoreEntry> three = {{"a", 90}, {"b", 50}, {"c", 10}};
    const struct {
        const std::vector<HighscoreEntry>& entries;
        uint32_t pending;
        ScoreType type;
        size_t rows;
        int pendingRow; ///< -1: no pending line
    } cases[] = {
        {ten, 250, ST_TIME, 10, 2},   {ten, 0, ST_TIME, 10, -1}, {three, 50, ST_POINTS, 4, 2},
        {three, 5, ST_POINTS, 4, 3},  {{}, 700, ST_TIME, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pending << " among " << c.entries.size());
        std::vector<HighscoreRow> rows = HighscoreState::layoutRows(c.entries, c.pending, c.type);
        ASSERT_EQ(rows.size(), c.rows);
        int entry = 0;
        for (unsigned i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].rank, i + 1);
            EXPECT_FLOAT_EQ(rows[i].y, 4.0f + 1.5f * float(i));
            EXPECT_EQ(rows[i].entry, int(i) == c.pendingRow ? -1 : entry++) << "row " << i;
        }
    }
}

TEST_F(HighscoreScreen, TypingANameAndReturnStoresTheResultAtItsRank)
{
    fillFile(3, 4000, 1000);
    // The proposed name and result as the game screen hands them over: GameStateTest.
    open(ST_TIME, 5432, "Spieler 1");
    erase(30);
    EXPECT_EQ(screen->getTypedName(), "") << "backspace on an empty name does nothing";

    // Tab, bell, delete, a C1 control and a character beyond Latin-1 are refused.
    type("Zo");
    for (Uint16 refused : {9, 7, 127, 0x85, 0x20AC})
        tap(SDLKey('x'), refused);
    type("rb\xFC" "l");
    EXPECT_EQ(screen->getTypedName(), "Zorb\xFCl");

    tap(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Fahrer 1", "Fahrer 2", "Zorb\xFCl", "Fahrer 3"}));
    EXPECT_EQ(screen->getEntries().size(), 4u) << "the screen shows the new list";

    size_t depth = engine.getStackSize();
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(engine.getStackSize(), depth - 1) << "Return after the entry leaves";
}

TEST_F(HighscoreScreen, NamesStopAtSeventeenCharactersAndBlankNamesAreRefused)
{
    open(ST_POINTS, 12, "");
    type("123456789012345678");
    EXPECT_EQ(screen->getTypedName(), "12345678901234567");
    erase(17);

    type("   ");
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 12u) << "a name of spaces is not taken";
    EXPECT_EQ(access((scoreDir + "/highscore.xml").c_str(), F_OK), -1) << "and nothing is written";
    tap(SDLKey(160), 160);
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 12u) << "nor is a no-break space";

    type("x ");
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    EXPECT_EQ(storedNames(ST_POINTS), std::vector<std::string>{"   \xA0x "}) << "stored as typed";
}

TEST_F(HighscoreScreen, ResultsThatDoNotQualifyAreNotOfferedAndEscapeLeavesWithoutSaving)
{
    fillFile(10, 1000, 100);
    open(ST_TIME, 1900, "Spieler 1");
    EXPECT_EQ(screen->getPendingScore(), 0u) << "equal to the tenth";
    engine.popState();

    // Player 1's entry pushes the tenth out; player 2's time, better than that old
    // tenth but worse than the new one, no longer makes the list and is not asked for.
    open(ST_TIME, 1050, "Spieler 1", 1850, "Spieler 2");
    tap(SDLK_RETURN, 13);
    EXPECT_EQ(screen->getPendingScore(), 0u);
    std::vector<HighscoreEntry> stored = HighscoreTable(scorePaths).getEntries("strecke.xml", ST_TIME);
    ASSERT_EQ(stored.size(), 10u);
    EXPECT_EQ(stored.back().score, 1800u);
    tap(SDLK_RETURN, 13);

    open(ST_TIME, 1020, "Spieler 1");
    size_t depth = engine.getStackSize();
    type("abc");
    tap(SDLK_ESCAPE, 27);
    EXPECT_EQ(engine.getStackSize(), depth - 1);
    EXPECT_EQ(HighscoreTable(scorePaths).getEntries("strecke.xml", ST_TIME)[1].score, 1050u)
        << "the unnamed result is dropped";
}

TEST_F(HighscoreScreen, TheListAndThePendingLineAreDrawnWhereTheyRank)
{
    fillFile(10, 1000, 100);
    open(ST_TIME, 1150, "Spieler 1");
    const Frame frame = rendered();

    // The screen is 32 x 24 units of 32 pixels; row n (from 0) lies at 4 + 1.5 n units, ten at most (HighscoreLayout).
    auto pixelsNear = [&](float left, float top, float width, Rgb colour) {
        return frame.count(int(left * 32), int(top * 32), int((left + width) * 32), int((top + 1) * 32), colour, 23);
    };
    const Rgb orange{255, 128, 25}, blue{38, 166, 209};
    EXPECT_GT(pixelsNear(8, 4.0f, 10, blue), 20) << "first entry";
    EXPECT_GT(pixelsNear(8, 7.0f, 10, orange), 20) << "the pending line at rank 3";
    EXPECT_EQ(pixelsNear(8, 7.0f, 16, blue), 0);
    EXPECT_GT(pixelsNear(18, 7.0f, 6, orange), 20) << "its time";
}
