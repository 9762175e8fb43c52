// zorbel-levelcheck: checks the game's levels with the real engine, renders
// their preview pictures and test-drives the time trials. Run it from the
// repository root on a display (scripts/headless gives one).
#include "LevelCheck.h"
#include "Preview.h"
#include "Simulation.h"

#include "engine/Engine.h"
#include "engine/Random.h"
#include "world/ObjectFactory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

const char* kUsage =
    "usage: zorbel-levelcheck [options] [level.xml ...]\n"
    "Without level names, every level in data/levels/levels.txt.\n"
    "  (no option)         check the levels; exit status 1 when anything is wrong\n"
    "  --screenshot DIR    write DIR/<level>.png, the level at its start\n"
    "  --views N           with --screenshot: N more pictures along each level\n"
    "  --drive             hold accelerate in each time trial and print the time to the finish\n"
    "  --expect MIN MAX    with --drive: exit status 1 unless every time is within MIN..MAX seconds\n"
    "  --hold KEYS         with --drive: hold these arrow keys instead of up alone, e.g. up,right\n"
    "  --balance           with --drive: also lean against the vehicle's tilt\n"
    "  --trace             with --drive: print where the vehicle is every second\n"
    "  --first             only the first level of levels.txt\n";

struct Options {
    std::string screenshotDir;
    int views = 0;
    bool drive = false;
    bool expect = false;
    bool firstOnly = false;
    bool trace = false;
    bool balance = false;
    std::vector<SDLKey> keys{SDLK_UP};
    float expectMin = 0.0f;
    float expectMax = 0.0f;
    std::vector<std::string> levels;
};

// "up,right" -> the arrow keys of player 1.
bool parseKeys(const std::string& list, std::vector<SDLKey>& keys)
{
    const std::map<std::string, SDLKey> names = {
        {"up", SDLK_UP}, {"down", SDLK_DOWN}, {"left", SDLK_LEFT}, {"right", SDLK_RIGHT}};
    keys.clear();
    std::string::size_type start = 0;
    while (start <= list.size()) {
        std::string::size_type end = list.find(',', start);
        std::string name = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto key = names.find(name);
        if (key == names.end())
            return false;
        keys.push_back(key->second);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--screenshot") {
            const char* dir = next();
            if (!dir)
                return false;
            options.screenshotDir = dir;
        } else if (arg == "--views") {
            const char* n = next();
            if (!n)
                return false;
            options.views = std::atoi(n);
        } else if (arg == "--drive") {
            options.drive = true;
        } else if (arg == "--expect") {
            const char* low = next();
            const char* high = next();
            if (!low || !high)
                return false;
            options.expect = true;
            options.expectMin = float(std::atof(low));
            options.expectMax = float(std::atof(high));
        } else if (arg == "--hold") {
            const char* list = next();
            if (!list || !parseKeys(list, options.keys))
                return false;
        } else if (arg == "--balance") {
            options.balance = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--first") {
            options.firstOnly = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            options.levels.push_back(arg);
        }
    }
    return true;
}

int check(const std::vector<std::string>& levels, LevelChecker& checker)
{
    for (const std::string& level : levels)
        checker.checkLevel(level);
    for (const Finding& finding : checker.findings()) {
        std::string where = finding.level + (finding.mode.empty() ? "" : " [" + finding.mode + "]");
        std::printf("zorbel-levelcheck: %s: %s\n", where.c_str(), finding.what.c_str());
    }
    std::printf("zorbel-levelcheck: %zu level(s) checked, %zu problem(s)\n", levels.size(),
                checker.findings().size());
    return checker.findings().empty() ? 0 : 1;
}

int screenshots(Engine& engine, const Options& options, const std::vector<std::string>& levels)
{
    int failures = 0;
    std::error_code error;
    std::filesystem::create_directories(options.screenshotDir, error);
    for (const std::string& level : levels) {
        std::string stem = level.substr(0, level.rfind('.'));
        std::string file = options.screenshotDir + "/" + stem + ".png";
        std::string problem = renderPreview(engine, level, file, options.views);
        if (problem.empty()) {
            std::printf("zorbel-levelcheck: wrote %s\n", file.c_str());
        } else {
            std::printf("zorbel-levelcheck: %s: no preview: %s\n", level.c_str(), problem.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

int drive(Engine& engine, const Options& options, const std::vector<std::string>& levels)
{
    int failures = 0;
    for (const std::string& level : levels) {
        DriveResult result = driveToFinish(engine, level, 180.0f, options.keys, options.balance);
        if (result.finished) {
            std::printf("zorbel-levelcheck: %s: holding the keys reaches the finish in %.2f s\n", level.c_str(),
                        result.time);
        } else {
            std::printf("zorbel-levelcheck: %s: holding the keys does not reach the finish; after %.0f s the "
                        "vehicle is at (%.1f, %.1f)\n",
                        level.c_str(), result.time, result.lastPosition.x, result.lastPosition.y);
        }
        if (options.trace || !result.finished)
            for (size_t i = 0; i < result.track.size(); i += options.trace ? 1 : 5)
                std::printf("    %3zu s: (%.1f, %.1f) in layer \"%s\"\n", i + 1, result.track[i].x, result.track[i].y,
                            result.trackLayers[i].c_str());
        if (options.expect
            && (!result.finished || result.time < options.expectMin || result.time > options.expectMax)) {
            std::printf("zorbel-levelcheck: %s: expected the finish within %.1f to %.1f s\n", level.c_str(),
                        options.expectMin, options.expectMax);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    randomReset();
    Engine engine(1024, 768, 60.0f, "zorbel-levelcheck", "", false);
    engine.addSearchPath("data");
    registerAllObjectTypes();

    LevelChecker checker(engine);
    std::vector<std::string> levels = options.levels;
    if (levels.empty())
        levels = checker.readLevelList();
    if (options.firstOnly && levels.size() > 1)
        levels.resize(1);

    if (!options.screenshotDir.empty())
        return screenshots(engine, options, levels);
    if (options.drive)
        return drive(engine, options, levels);
    return check(levels, checker);
}
