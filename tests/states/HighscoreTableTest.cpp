#include "engine/Enums.h"
#include "states/HighscoreTable.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A fresh data directory for each test.
struct ScratchDir {
    std::string file(const std::string& name) const { return path + "/" + name; }
    void write(const std::string& name, const std::string& content) const { std::ofstream(file(name), std::ios::binary) << content; }
    SearchPathList paths() const { return pathsTo(path); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const fs::directory_entry& entry : fs::directory_iterator(path))
            result.push_back(entry.path().filename());
        std::sort(result.begin(), result.end());
        return result;
    }

    std::string path = freshDir();
};

std::vector<std::string> namesOf(const std::vector<HighscoreEntry>& entries)
{
    std::vector<std::string> names;
    for (const HighscoreEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

const std::string kTwoLevels =
    "<?xml version=\"1.0\" ?>\n"
    "<Highscore>\n"
    "    <Level filename=\"berg.xml\">\n"
    "        <ScoreType type=\"1\">\n"
    "            <Score name=\"J\xFCrgen &amp; Co\" value=\"4512\" />\n"
    "            <Score name=\"&lt;Zorbel&gt;\" value=\"4999\" />\n"
    "        </ScoreType>\n"
    "        <ScoreType type=\"2\">\n"
    "            <Score name=\"Ren\xE9\" value=\"40\" />\n"
    "        </ScoreType>\n"
    "    </Level>\n"
    "    <Level filename=\"tal.xml\">\n"
    "        <ScoreType type=\"1\">\n"
    "            <Score name=\"Bob\" value=\"100\" />\n"
    "        </ScoreType>\n"
    "    </Level>\n"
    "</Highscore>\n";

} // namespace

TEST(HighscoreTable, TenBestFillTheListRankedByScoreThenByNameIgnoringCase)
{
    ScratchDir dir;
    HighscoreTable table(dir.paths());
    for (uint32_t score : {700u, 300u, 1000u, 100u, 900u, 500u, 200u, 800u, 400u})
        table.insert(score, "a.xml", ST_TIME, "p" + std::to_string(score));
    table.insert(600, "a.xml", ST_TIME, "p600");

    std::vector<HighscoreEntry> entries = table.getEntries("a.xml", ST_TIME);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(namesOf(entries),
              (std::vector<std::string>{"p100", "p200", "p300", "p400", "p500", "p600", "p700", "p800", "p900", "p1000"}));

    EXPECT_FALSE(table.qualifies(1000, "a.xml", ST_TIME)) << "equal to the tenth";
    EXPECT_FALSE(table.qualifies(1001, "a.xml", ST_TIME));
    EXPECT_TRUE(table.qualifies(999, "a.xml", ST_TIME));
    EXPECT_TRUE(table.qualifies(1000, "other.xml", ST_TIME)) << "each level has its own list";

    // Points rank highest first, equal scores (times too) by name ignoring case.
    // Latin-1: Ä and ä are the same letter, so "äb" comes before "Äz".
    for (const auto& [score, name] : {std::pair{50, "Bob"}, {70, "Zora"}, {70, "carl"}, {50, "anna"}, {10, "\xC4z"}, {10, "\xE4" "b"}})
        table.insert(uint32_t(score), "a.xml", ST_POINTS, name);
    EXPECT_EQ(namesOf(table.getEntries("a.xml", ST_POINTS)),
              (std::vector<std::string>{"carl", "Zora", "anna", "Bob", "\xE4" "b", "\xC4z"}));

    for (int i = 0; i < 5; ++i)
        table.insert(20, "a.xml", ST_POINTS, "x" + std::to_string(i));
    EXPECT_FALSE(table.qualifies(10, "a.xml", ST_POINTS)) << "equal to the tenth";
    EXPECT_TRUE(table.qualifies(11, "a.xml", ST_POINTS));

    EXPECT_TRUE(table.getEntries("a.xml", ST_NONE).empty());
}

TEST(HighscoreTable, SavesTheFileLayoutAndReadsItBackUnchanged)
{
    ScratchDir dir;
    {
        HighscoreTable table(dir.paths());
        // Inserted out of order: levels are written by file name, entries by rank. Names are
        // Latin-1: read as UTF-8, the \xE9 ending a name would swallow its closing quote.
        table.insert(100, "tal.xml", ST_TIME, "Bob");
        table.insert(40, "berg.xml", ST_POINTS, "Ren\xE9");
        table.insert(4999, "berg.xml", ST_TIME, "<Zorbel>");
        table.insert(4512, "berg.xml", ST_TIME, "J\xFCrgen & Co");
        ASSERT_TRUE(table.save());
    }
    EXPECT_EQ(readFileBytes(dir.file("highscore.xml")), kTwoLevels);

    // Whatever is read wrongly comes out differently when saved again.
    HighscoreTable reread(dir.paths());
    ASSERT_TRUE(reread.save());
    EXPECT_EQ(readFileBytes(dir.file("highscore.xml")), kTwoLevels);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"highscore.xml"}) << "no temporary or backup file stays behind";
}

// Each kind of damage is in tests/data/bad/highscore, where the backup's content and the
// messages are checked; here when the backup is made and that it is never overwritten.
TEST(HighscoreTable, AFileThatCannotBeReadIsKeptAsABackupBeforeTheFirstSave)
{
    const std::string content = kTwoLevels.substr(0, kTwoLevels.size() / 2);
    ScratchDir dir;
    dir.write("highscore.xml", content);
    std::unique_ptr<HighscoreTable> table;
    stderrOf([&] { table = std::make_unique<HighscoreTable>(dir.paths()); });
    EXPECT_EQ(dir.names(), std::vector<std::string>{"highscore.xml"}) << "reading alone moves nothing";
    const std::string saveMessage = stderrOf([&] { EXPECT_TRUE(table->save()); });
    EXPECT_NE(saveMessage.find("highscore.xml.bak"), std::string::npos) << saveMessage;

    // A second damaged file does not overwrite the first backup.
    dir.write("highscore.xml", "garbage");
    stderrOf([&] { EXPECT_TRUE(HighscoreTable(dir.paths()).save()); });
    EXPECT_EQ(readFileBytes(dir.file("highscore.xml.bak")), content);
    EXPECT_EQ(readFileBytes(dir.file("highscore.xml.bak.1")), "garbage");
}

TEST(HighscoreTable, ValuesThatDoNotParseAreSkippedWithAMessage)
{
    ScratchDir dir;
    dir.write("highscore.xml",
              "<Highscore><Level filename=\"a.xml\"><ScoreType type=\"1\"><Score name=\"ok\" value=\"100\"/>"
              "<Score name=\"letters\" value=\"12abc\"/><Score name=\"negative\" value=\"-5\"/>"
              "<Score name=\"huge\" value=\"4294967296\"/><Score name=\"none\"/><Score name=\"max\" value=\"4294967295\"/>"
              "</ScoreType><ScoreType type=\"zwei\"><Score name=\"lost\" value=\"1\"/></ScoreType></Level>"
              "<Level><ScoreType type=\"1\"><Score name=\"nameless level\" value=\"1\"/></ScoreType></Level></Highscore>");
    std::unique_ptr<HighscoreTable> table;
    const std::string messages = stderrOf([&] { table = std::make_unique<HighscoreTable>(dir.paths()); });
    std::vector<HighscoreEntry> entries = table->getEntries("a.xml", ST_TIME);
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{"ok", "max"}));
    EXPECT_EQ(entries.back().score, 4294967295u);
    EXPECT_TRUE(table->getEntries("a.xml", ST_POINTS).empty());
    for (const char* bad : {"\"12abc\"", "\"-5\"", "\"4294967296\"", "\"\"", "\"zwei\"", "without a filename"})
        EXPECT_NE(messages.find(bad), std::string::npos) << bad << " not reported in:\n" << messages;
}

// No other test fills the disk: a save must fail whole and keep the old file.
TEST(HighscoreTable, AFailedWriteLeavesTheOldFileWholeAndKeepsTheEntry)
{
    ScratchDir dir;
    dir.write("highscore.xml", kTwoLevels);
    HighscoreTable table(dir.paths());
    for (int i = 0; i < 10; ++i)
        table.insert(1000 + i, "lang.xml", ST_TIME, "Spieler mit langem Namen");

    // A full disk, simulated: no file of this process may grow beyond 64 bytes.
    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 64;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool saved = false;
    const std::string message = stderrOf([&] { saved = table.save(); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(message.find("zorbel: " + dir.file("highscore.xml")), std::string::npos) << message;
    EXPECT_EQ(readFileBytes(dir.file("highscore.xml")), kTwoLevels);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"highscore.xml"}) << "the half-written temporary file is removed";

    ASSERT_TRUE(table.save()) << "the entries stay in memory: once there is room again the next save writes them";
    EXPECT_EQ(HighscoreTable(dir.paths()).getEntries("lang.xml", ST_TIME).size(), 10u);
}

TEST(HighscoreTable, AMissingFolderIsMadeAtTheFirstSaveAndOneThatCannotBeGivesAMessageNotACrash)
{
    ScratchDir dir;
    const SearchPathList fresh = pathsTo(dir.file("share/zorbel"));
    HighscoreTable first(fresh);
    first.insert(1, "a.xml", ST_TIME, "Erste");
    ASSERT_TRUE(first.save());
    EXPECT_EQ(HighscoreTable(fresh).getEntries("a.xml", ST_TIME).size(), 1u);

    dir.write("file", "");
    HighscoreTable table(pathsTo(dir.file("file/inner")));
    table.insert(1, "a.xml", ST_TIME, "Niemand");
    EXPECT_NE(stderrOf([&] { EXPECT_FALSE(table.save()); }).find("zorbel: "), std::string::npos);

    EXPECT_NE(stderrOf([] { EXPECT_FALSE(HighscoreTable(SearchPathList()).save()); }).find("no data directory"),
              std::string::npos);
}

TEST(HighscoreTable, ALinkedFileIsRewrittenWhereTheLinkPoints)
{
    ScratchDir data, elsewhere;
    elsewhere.write("scores.xml", kTwoLevels);
    ASSERT_EQ(symlink(elsewhere.file("scores.xml").c_str(), data.file("highscore.xml").c_str()), 0);

    HighscoreTable table(data.paths());
    table.insert(50, "tal.xml", ST_TIME, "Link");
    ASSERT_TRUE(table.save());
    // A link replaced by a file would leave the entry out of the file it points to.
    EXPECT_NE(readFileBytes(elsewhere.file("scores.xml")).find("name=\"Link\""), std::string::npos);
}


// The game killed at any moment while it saves leaves the old or the new table, whole.
TEST(HighscoreSave, KilledWhileSavingTheFileIsAlwaysAWholeTable)
{
    ScratchDir dir;
    for (int kill = 0; kill < 40; ++kill) {
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves in a loop from what the last run left, twenty levels of long names, so
            // the file is big enough to be caught half-written. The first save is announced,
            // so every kill lands among saves however slow the machine is.
            HighscoreTable table(dir.paths());
            for (uint32_t n = 1;; ++n) {
                table.insert(n, "level" + std::to_string(n % 20) + ".xml", ST_TIME, "Spieler " + std::to_string(n) + " mit langem Namen");
                table.save();
                if (n == 1 && write(saved[1], "s", 1) != 1)
                    _exit(1);
            }
        }
        char said = 0;
        ASSERT_EQ(read(saved[0], &said, 1), 1) << "kill " << kill;
        close(saved[0]);
        close(saved[1]);
        usleep(useconds_t(500 * kill));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        std::unique_ptr<HighscoreTable> found;
        ASSERT_EQ(stderrOf([&] { found = std::make_unique<HighscoreTable>(dir.paths()); }), "") << "kill " << kill;
        EXPECT_FALSE(found->getEntries("level1.xml", ST_TIME).empty()) << "kill " << kill;
    }
}
