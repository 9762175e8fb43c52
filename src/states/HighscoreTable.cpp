#include "states/HighscoreTable.h"

#include "engine/Engine.h"
#include "engine/Enums.h"
#include "engine/SafeFile.h"

#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

const char* const kFilename = "highscore.xml";

// Names are Latin-1 bytes, so "Ä" and "ä" must compare equal as well as "A" and "a".
unsigned char foldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    return c;
}

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return foldCase(static_cast<unsigned char>(x)) < foldCase(static_cast<unsigned char>(y));
    });
}

// Strict decimal: a score of "12abc" or "-3" is damage, not a number to guess at.
bool parseNumber(const char* text, unsigned long long limit, unsigned long long& value)
{
    if (!text)
        return false;
    while (*text == ' ' || *text == '\t')
        ++text;
    if (*text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    return errno == 0 && *end == '\0' && value <= limit;
}

// Parses the file into `document`; on failure `why` says what is wrong with it.
bool readDocument(const std::string& path, TiXmlDocument& document, std::string& why)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = "it is not a file";
        return false;
    }
    // Names are Latin-1 bytes. Without an encoding in its declaration TinyXML
    // would read the file as UTF-8, where a byte such as 0xE9 ("\xE9" in
    // "Ren\xE9e") starts a three-byte character that swallows the closing
    // quote, and the whole file would become unreadable.
    if (!document.LoadFile(path.c_str(), TIXML_ENCODING_LEGACY)) {
        why = document.ErrorDesc();
        if (document.ErrorRow() > 0)
            why += " (line " + std::to_string(document.ErrorRow()) + ")";
        return false;
    }
    const TiXmlElement* root = document.RootElement();
    if (!root || root->ValueStr() != "Highscore") {
        why = "it has no <Highscore> element";
        return false;
    }
    return true;
}

} // namespace

HighscoreTable::HighscoreTable(Engine* engine) : HighscoreTable(playerPaths(engine)) {}

SearchPathList HighscoreTable::playerPaths(const Engine* engine)
{
    SearchPathList paths;
    if (!engine->getFolders().player.empty())
        addSearchPath(paths, engine->getFolders().player);
    return paths;
}

HighscoreTable::HighscoreTable(const SearchPathList& searchPaths) : searchPaths(searchPaths)
{
    load();
}

std::string HighscoreTable::getPath() const
{
    for (const SearchPath& path : searchPaths) {
        std::string candidate = path.directory + kFilename;
        if (!pathExists(candidate))
            continue;
        // Replacing a symbolic link would cut it; write where it points instead.
        char resolved[PATH_MAX];
        return realpath(candidate.c_str(), resolved) ? std::string(resolved) : candidate;
    }
    return searchPaths.empty() ? std::string() : searchPaths.front().directory + kFilename;
}

void HighscoreTable::load()
{
    std::string path = getPath();
    if (path.empty() || !pathExists(path))
        return;
    TiXmlDocument document;
    std::string why;
    if (!readDocument(path, document, why)) {
        std::fprintf(stderr, "zorbel: %s cannot be read (%s); the highscores start empty and the file will be kept as a backup at the next save\n",
                     path.c_str(), why.c_str());
        return;
    }
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* level = root->FirstChildElement("Level"); level; level = level->NextSiblingElement("Level")) {
        const char* filename = level->Attribute("filename");
        if (!filename) {
            std::fprintf(stderr, "zorbel: %s line %d: <Level> without a filename; skipped\n", path.c_str(), level->Row());
            continue;
        }
        ScoreLists& lists = levels[filename];
        for (const TiXmlElement* type = level->FirstChildElement("ScoreType"); type; type = type->NextSiblingElement("ScoreType")) {
            unsigned long long typeValue = 0;
            if (!parseNumber(type->Attribute("type"), INT_MAX, typeValue)) {
                std::fprintf(stderr, "zorbel: %s line %d: score type \"%s\" is no number; its scores are skipped\n",
                             path.c_str(), type->Row(), type->Attribute("type") ? type->Attribute("type") : "");
                continue;
            }
            std::vector<HighscoreEntry>& entries = lists[int(typeValue)];
            for (const TiXmlElement* score = type->FirstChildElement("Score"); score; score = score->NextSiblingElement("Score")) {
                unsigned long long value = 0;
                if (!parseNumber(score->Attribute("value"), UINT32_MAX, value)) {
                    std::fprintf(stderr, "zorbel: %s line %d: score value \"%s\" is no number; skipped\n", path.c_str(),
                                 score->Row(), score->Attribute("value") ? score->Attribute("value") : "");
                    continue;
                }
                const char* name = score->Attribute("name");
                entries.push_back(HighscoreEntry{name ? name : "", uint32_t(value)});
            }
        }
    }
}

bool HighscoreTable::moveAsideIfUnreadable(const std::string& path) const
{
    if (!pathExists(path))
        return true;
    TiXmlDocument document;
    std::string why;
    if (readDocument(path, document, why))
        return true;
    std::string whyNotMoved;
    std::string backup = keepAsBackup(path, whyNotMoved);
    if (backup.empty()) {
        std::fprintf(stderr, "zorbel: %s cannot be read (%s) and %s; the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), why.c_str(), whyNotMoved.c_str());
        return false;
    }
    std::fprintf(stderr, "zorbel: %s could not be read (%s); kept it as %s\n", path.c_str(), why.c_str(), backup.c_str());
    return true;
}

bool HighscoreTable::save()
{
    std::string path = getPath();
    if (path.empty()) {
        std::fprintf(stderr, "zorbel: %s: there is no data directory to write it to; the highscores stay in memory until a later save succeeds\n", kFilename);
        return false;
    }
    // The player's folder is made on the first save, when there is something to keep.
    std::string why;
    if (!makeDirectories(path.substr(0, path.rfind('/')), why)) {
        std::fprintf(stderr, "zorbel: %s: %s; the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), why.c_str());
        return false;
    }
    if (!moveAsideIfUnreadable(path))
        return false;

    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    TiXmlElement* root = new TiXmlElement("Highscore");
    document.LinkEndChild(root);
    for (const auto& [filename, lists] : levels) {
        TiXmlElement* level = new TiXmlElement("Level");
        level->SetAttribute("filename", filename);
        root->LinkEndChild(level);
        for (const auto& [type, entries] : lists) {
            TiXmlElement* typeElement = new TiXmlElement("ScoreType");
            typeElement->SetAttribute("type", type);
            level->LinkEndChild(typeElement);
            for (const HighscoreEntry& entry : entries) {
                TiXmlElement* score = new TiXmlElement("Score");
                score->SetAttribute("name", entry.name);
                score->SetAttribute("value", std::to_string(entry.score));
                typeElement->LinkEndChild(score);
            }
        }
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    if (!writeFileAtomically(path, printer.Str(), why)) {
        std::fprintf(stderr, "zorbel: %s: %s; the old file is unchanged and the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), why.c_str());
        return false;
    }
    return true;
}

std::vector<HighscoreEntry> HighscoreTable::getEntries(const std::string& levelFilename, int scoreType)
{
    if (scoreType == ST_NONE)
        return {};
    return levels[levelFilename][scoreType];
}

bool HighscoreTable::qualifies(uint32_t score, const std::string& levelFilename, int scoreType) const
{
    if (score == 0)
        return true;
    static const std::vector<HighscoreEntry> none;
    const std::vector<HighscoreEntry>* entries = &none;
    auto level = levels.find(levelFilename);
    if (level != levels.end()) {
        auto list = level->second.find(scoreType);
        if (list != level->second.end())
            entries = &list->second;
    }
    if (entries->size() < kMaxEntries)
        return true;
    if (scoreType == ST_POINTS)
        return score > entries->back().score;
    if (scoreType == ST_TIME)
        return score < entries->back().score;
    return false;
}

void HighscoreTable::insert(uint32_t score, const std::string& levelFilename, int scoreType, const std::string& name)
{
    if (!qualifies(score, levelFilename, scoreType))
        return;
    std::vector<HighscoreEntry>& entries = levels[levelFilename][scoreType];
    entries.push_back(HighscoreEntry{name, score});
    bool ascending = scoreType == ST_TIME; // times: lower is better
    std::stable_sort(entries.begin(), entries.end(), [ascending](const HighscoreEntry& a, const HighscoreEntry& b) {
        if (a.score != b.score)
            return ascending ? a.score < b.score : a.score > b.score;
        return lessIgnoringCase(a.name, b.name);
    });
    if (entries.size() > kMaxEntries)
        entries.resize(kMaxEntries);
}
