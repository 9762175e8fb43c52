// The highscore file survives the game dying at any moment while it saves, and
// every Latin-1 letter a player can type comes back from the file as it went in.
#include "engine/Enums.h"
#include "states/HighscoreTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ScratchDir {
public:
    ScratchDir()
    {
        char pattern[] = "/tmp/zorbel-hssave-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
    }
    ~ScratchDir() { std::system(("rm -rf '" + path + "'").c_str()); }

    std::string file(const std::string& name) const { return path + "/" + name; }
    SearchPathList paths() const
    {
        SearchPathList list;
        addSearchPath(list, path);
        return list;
    }

    std::string path;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

const char* const kGenerationLevel = "runde.xml";

// The change the game makes before its save number `generation`: a new best
// "round" score that names the generation, and a time on one of twenty levels
// with long names, so the file is big enough to be caught half-written.
void applyGeneration(HighscoreTable& table, uint32_t generation)
{
    table.insert(generation, kGenerationLevel, ST_POINTS, "Runde " + std::to_string(generation));
    std::string name = "Spieler " + std::to_string(generation) + " mit einem recht langen Namen";
    table.insert(1 + generation * 7919 % 100000, "level" + std::to_string(generation % 20) + ".xml", ST_TIME, name);
}

uint32_t generationOf(HighscoreTable& table)
{
    std::vector<HighscoreEntry> rounds = table.getEntries(kGenerationLevel, ST_POINTS);
    return rounds.empty() ? 0 : rounds.front().score;
}

// The child: the game, started on whatever the last run left, saving after
// every change and telling the parent which saves have returned.
[[noreturn]] void saveForever(const SearchPathList& paths, int reportFd)
{
    HighscoreTable table(paths);
    for (uint32_t generation = generationOf(table) + 1;; ++generation) {
        applyGeneration(table, generation);
        if (!table.save())
            _exit(3);
        if (write(reportFd, &generation, sizeof generation) != sizeof generation)
            _exit(4);
    }
}

} // namespace

TEST(HighscoreSave, KilledWhileSavingTheFileIsAlwaysTheOldOrTheNewWholeTable)
{
    ScratchDir data;
    ScratchDir reference;
    HighscoreTable expected(reference.paths());
    uint32_t expectedGeneration = 0;
    std::mt19937 random(20100601);

    // Kills spread over about ten saves, however fast saving (fsync) is here.
    ScratchDir timing;
    HighscoreTable timed(timing.paths());
    auto start = std::chrono::steady_clock::now();
    for (uint32_t generation = 1; generation <= 5; ++generation) {
        applyGeneration(timed, generation);
        ASSERT_TRUE(timed.save());
    }
    const long saveMicros = long(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - start).count() / 5);
    const long killWindowMicros = 10 * saveMicros;

    for (int kill = 0; kill < 200; ++kill) {
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            saveForever(data.paths(), report[1]);
        }
        close(report[1]);
        // However slow the machine, every kill comes while the child is saving:
        // it has told of its first save before the clock starts.
        uint32_t lastReturned = 0;
        ASSERT_EQ(read(report[0], &lastReturned, sizeof lastReturned), ssize_t(sizeof lastReturned))
            << "the child ended before its first save";
        fcntl(report[0], F_SETFL, O_NONBLOCK);
        usleep(useconds_t(long(random() % 1000000) * killWindowMicros / 1000000));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with status " << WEXITSTATUS(status);

        uint32_t generation = 0;
        while (read(report[0], &generation, sizeof generation) == sizeof generation)
            lastReturned = generation;
        close(report[0]);

        testing::internal::CaptureStderr();
        HighscoreTable found(data.paths());
        std::string messages = testing::internal::GetCapturedStderr();
        ASSERT_EQ(messages, "") << "after kill " << kill << " the file does not read cleanly";
        uint32_t now = generationOf(found);
        ASSERT_GE(now, lastReturned) << "a save that had returned was lost at kill " << kill;
        ASSERT_LE(now, lastReturned + 1) << "kill " << kill;

        while (expectedGeneration < now)
            applyGeneration(expected, ++expectedGeneration);
        ASSERT_TRUE(expected.save());
        ASSERT_EQ(readFile(data.file("highscore.xml")), readFile(reference.file("highscore.xml")))
            << "the file is not the complete table of save " << now << " (kill " << kill << ")";
    }
}

TEST(HighscoreSave, NamesWithEveryLatin1LetterSurviveASaveAndALoad)
{
    ScratchDir dir;
    HighscoreTable table(dir.paths());
    // Every letter the highscore screen lets players type, at the end of a
    // name (where a misread multi-byte character would eat the closing quote)
    // and alone.
    std::vector<std::string> names;
    for (int c = 160; c <= 255; ++c) {
        names.push_back("Ren" + std::string(1, char(c)));
        names.push_back(std::string(1, char(c)));
    }
    for (size_t i = 0; i < names.size(); ++i)
        table.insert(1, "latin" + std::to_string(i / 10) + ".xml", ST_POINTS, names[i]);
    ASSERT_TRUE(table.save());

    testing::internal::CaptureStderr();
    HighscoreTable reread(dir.paths());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<HighscoreEntry> entries = reread.getEntries("latin" + std::to_string(i / 10) + ".xml", ST_POINTS);
        bool found = std::any_of(entries.begin(), entries.end(), [&](const HighscoreEntry& e) { return e.name == names[i]; });
        EXPECT_TRUE(found) << "name with byte " << int(static_cast<unsigned char>(names[i].back()));
    }
}
