// highscore.xml through the real table: read, add an entry, save, read again.
// Besides the sanitizers, a saved table must read back exactly as it was.
#include "FuzzSupport.h"

#include "engine/Enums.h"
#include "states/HighscoreTable.h"

#include <map>
#include <string>
#include <vector>

namespace {

using Snapshot = std::map<std::pair<std::string, int>, std::vector<std::pair<std::string, uint32_t>>>;

// The lists the test looks at: every level and score type named in the file
// plus the one the fuzzer adds to.
Snapshot snapshot(HighscoreTable& table, const std::vector<std::string>& levels)
{
    Snapshot result;
    for (const std::string& level : levels) {
        for (int type : {ST_TIME, ST_POINTS}) {
            auto& list = result[{level, type}];
            for (const HighscoreEntry& entry : table.getEntries(level, type))
                list.emplace_back(entry.name, entry.score);
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    clearScratch();
    writeScratch("highscore.xml", data, size);
    SearchPathList paths;
    addSearchPath(paths, scratchDir());

    HighscoreTable table(paths);
    // Names of levels the input may mention, cut from the input itself so the
    // fuzzer can reach them; plus one fixed name.
    std::vector<std::string> levels = {"fuzz.xml"};
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t at = text.find("filename=\""); at != std::string::npos; at = text.find("filename=\"", at + 1)) {
        size_t end = text.find('"', at + 10);
        if (end == std::string::npos)
            break;
        levels.push_back(text.substr(at + 10, end - at - 10));
    }
    // Names as the highscore screen lets players type them: printable Latin-1 only.
    auto typedName = [&](size_t from) {
        std::string name;
        for (size_t i = from; i < size && name.size() < 16; ++i) {
            unsigned char c = data[i];
            if ((c >= 32 && c <= 126) || c >= 160)
                name += char(c);
        }
        return name;
    };
    uint32_t score = size > 4 ? uint32_t(data[0]) << 24 | uint32_t(data[1]) << 16 | uint32_t(data[2]) << 8 | data[3] : 1;
    table.insert(score, "fuzz.xml", ST_TIME, typedName(0));
    table.insert(score, "fuzz.xml", ST_POINTS, typedName(size / 2));
    Snapshot before = snapshot(table, levels);
    if (!table.save())
        fuzzFailure("a table in a writable directory could not be saved");

    HighscoreTable reread(paths);
    if (snapshot(reread, levels) != before)
        fuzzFailure("the saved table reads back differently");
    return 0;
}
