#include "states/HighscoreTable.h"

#include "engine/Engine.h"
#include "engine/Enums.h"

#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
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

std::string directoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// Durably replaces `path` with `document`: the old file stays whole until the
// new one is completely on disk.
bool writeAtomically(const TiXmlDocument& document, const std::string& path)
{
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        std::fprintf(stderr, "zorbel: %s: cannot create a temporary file next to it (%s); the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat old;
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    FILE* file = fdopen(fd, "w");
    if (!file) {
        int error = errno;
        close(fd);
        unlink(temporary.c_str());
        std::fprintf(stderr, "zorbel: %s: %s; the highscores stay in memory until a later save succeeds\n", temporary.c_str(), std::strerror(error));
        return false;
    }
    errno = 0;
    bool written = document.SaveFile(file) && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    int error = errno;
    bool closed = std::fclose(file) == 0;
    if (written && !closed)
        error = errno;
    bool renamed = written && closed && rename(temporary.c_str(), path.c_str()) == 0;
    if (!renamed) {
        if (written && closed)
            error = errno;
        unlink(temporary.c_str());
        std::fprintf(stderr, "zorbel: %s: cannot write it (%s); the old file is unchanged and the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), error ? std::strerror(error) : "write error");
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring back the old file.
    int directory = open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}

} // namespace

HighscoreTable::HighscoreTable(Engine* engine) : HighscoreTable(*engine->getSearchPaths()) {}

HighscoreTable::HighscoreTable(const SearchPathList& searchPaths) : searchPaths(searchPaths)
{
    load();
}

std::string HighscoreTable::getPath() const
{
    for (const SearchPath& path : searchPaths) {
        std::string candidate = path.directory + kFilename;
        if (!exists(candidate))
            continue;
        // Replacing a symbolic link would cut it; write where it points instead.
        char resolved[PATH_MAX];
        return realpath(candidate.c_str(), resolved) ? std::string(resolved) : candidate;
    }
    return searchPaths.empty() ? std::string() : searchPaths.front().directory + kFilename;
}

void HighscoreTable::load()
{
    levels.clear();
    std::string path = getPath();
    if (path.empty() || !exists(path))
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
    if (!exists(path))
        return true;
    TiXmlDocument document;
    std::string why;
    if (readDocument(path, document, why))
        return true;
    std::string backup = path + ".bak";
    for (int n = 1; exists(backup); ++n)
        backup = path + ".bak." + std::to_string(n);
    if (rename(path.c_str(), backup.c_str()) != 0) {
        std::fprintf(stderr, "zorbel: %s cannot be read (%s) and cannot be moved to %s (%s); the highscores stay in memory until a later save succeeds\n",
                     path.c_str(), why.c_str(), backup.c_str(), std::strerror(errno));
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
    return writeAtomically(document, path);
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
