// zorbel-replay: records matches of the game as replays, makes replays from
// driving scripts, and plays them back step by step on the real engine to
// check that they still end the way they were recorded. Run it from the
// repository root; playback needs a display (scripts/headless gives one).
#include "Playback.h"
#include "Recorder.h"
#include "Replay.h"
#include "ReplayHost.h"
#include "Script.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "world/ObjectFactory.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* kUsage =
    "usage:\n"
    "  zorbel-replay record LEVEL MODE [match options] [--ticks N] [--after S] [--windowed] -o FILE\n"
    "      play the match on the game window and save the keyboard as a replay;\n"
    "      Escape or closing the window ends it, and so does S seconds (default 1)\n"
    "      after the match is decided (S < 0: never)\n"
    "  zorbel-replay script LEVEL MODE SCRIPT [match options] -o FILE\n"
    "      drive the match by a script (see docs/replays.md) and save it as a replay\n"
    "  zorbel-replay play FILE [--render] [--shots DIR --at T[,T...]]\n"
    "      play the replay and print the state it ends in; with --shots, DIR/tick<T>.png\n"
    "      shows the screen after each step T\n"
    "  zorbel-replay verify FILE... [--twice]\n"
    "      play each replay and compare with its recorded end; exit status 1 on any\n"
    "      difference beyond the tolerances or an unmet requirement; --twice plays each\n"
    "      one twice more and demands the very same end both times\n"
    "match options: --control1 five|four  --control2 five|four  --points N (1-200)\n"
    "LEVEL is a file under data/levels/, MODE one of GM_STORY GM_TIME_1P GM_TIME_2P GM_CTZ GM_KOH\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

struct Arguments {
    std::vector<std::string> positional;
    MatchSettings settings;
    std::string output;
    RecordLimits limits;
    bool windowed = false;
    bool twice = false;
    PlaybackView view;
};

bool parseTicks(const std::string& text, std::set<uint32_t>& ticks)
{
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        unsigned long tick = std::strtoul(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || tick == 0)
            return false;
        ticks.insert(uint32_t(tick));
    }
    return !ticks.empty();
}

bool parseControl(const char* text, ControlMode& mode)
{
    std::string name = text ? text : "";
    if (name != "five" && name != "four")
        return false;
    mode = name == "five" ? CM_FIVE_KEYS : CM_FOUR_KEYS;
    return true;
}

bool parseArguments(int argc, char** argv, Arguments& args)
{
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool takesValue = true;
        char* end = nullptr;
        if (arg == "-o" && value) {
            args.output = value;
        } else if (arg == "--control1") {
            if (!parseControl(value, args.settings.controlMode1))
                return false;
        } else if (arg == "--control2") {
            if (!parseControl(value, args.settings.controlMode2))
                return false;
        } else if (arg == "--points" && value) {
            long points = std::strtol(value, &end, 10);
            if (*end != '\0' || points < 1 || points > 200)
                return false;
            args.settings.pointsNeededToWin = int(points);
        } else if (arg == "--ticks" && value) {
            args.limits.maxTicks = uint32_t(std::strtoul(value, &end, 10));
            if (*end != '\0')
                return false;
        } else if (arg == "--after" && value) {
            args.limits.afterDecided = std::strtof(value, &end);
            if (*end != '\0')
                return false;
        } else if (arg == "--shots" && value) {
            args.view.screenshotDir = value;
        } else if (arg == "--at" && value) {
            if (!parseTicks(value, args.view.screenshotAt))
                return false;
        } else {
            takesValue = false;
            if (arg == "--windowed")
                args.windowed = true;
            else if (arg == "--twice")
                args.twice = true;
            else if (arg == "--render")
                args.view.render = true;
            else if (!arg.empty() && arg[0] == '-')
                return false;
            else
                args.positional.push_back(arg);
        }
        if (takesValue)
            ++i;
    }
    return true;
}

bool levelAndMode(const Arguments& args, MatchSettings& settings)
{
    if (args.positional.size() < 2)
        return false;
    settings = args.settings;
    settings.level = args.positional[0];
    if (!parseGameMode(args.positional[1], settings.mode)) {
        std::fprintf(stderr, "zorbel: \"%s\" is not a game mode\n", args.positional[1].c_str());
        return false;
    }
    return true;
}

std::unique_ptr<Engine> openEngine(const char* caption, bool fullScreen)
{
    auto engine = std::make_unique<Engine>(1024, 768, 60.0f, caption, "data/sprites/icon.png", fullScreen);
    engine->addSearchPath("data");
    return engine;
}

bool save(const Replay& replay, const std::string& file)
{
    if (!writeReplayFile(file, replay)) {
        std::fprintf(stderr, "zorbel: %s: cannot write the replay\n", file.c_str());
        return false;
    }
    std::printf("%s: %u steps, %s\n", file.c_str(), unsigned(replay.ticks),
                isDecided(replay.settings.mode, replay.expected) ? "decided" : "not decided");
    writeState(std::cout, replay.expected);
    return true;
}

// Replays carry the tolerances of the build types they were checked under (docs/replays.md).
Tolerances defaultTolerances()
{
    Tolerances tolerances;
    tolerances.position = 0.05f;
    tolerances.angle = 0.05f;
    tolerances.time = 0.02f;
    return tolerances;
}

std::string commandLine(int argc, char** argv)
{
    std::string line = "zorbel-replay";
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    return line;
}

int recordCommand(int argc, char** argv, const Arguments& args)
{
    MatchSettings settings;
    if (!levelAndMode(args, settings) || args.positional.size() != 2 || args.output.empty())
        return usage();
    auto engine = openEngine("Quorvell Zorbel 2010", !args.windowed);
    hideCursor();
    ReplayHost host(*engine);
    Replay replay;
    record(host, settings, args.limits, replay);
    if (replay.ticks == 0) {
        std::fprintf(stderr, "zorbel: nothing was recorded\n");
        return 1;
    }
    replay.notes.push_back("Recorded from the keyboard: " + commandLine(argc, argv));
    replay.tolerances = defaultTolerances();
    return save(replay, args.output) ? 0 : 1;
}

int scriptCommand(int argc, char** argv, const Arguments& args)
{
    MatchSettings settings;
    if (!levelAndMode(args, settings) || args.positional.size() != 3 || args.output.empty())
        return usage();
    Script script;
    std::string error;
    if (!readScriptFile(args.positional[2], script, error)) {
        std::fprintf(stderr, "zorbel: %s: %s\n", args.positional[2].c_str(), error.c_str());
        return 1;
    }
    auto engine = openEngine("Quorvell Zorbel 2010 - Skript", false);
    ReplayHost host(*engine);
    Replay replay;
    bool ok = runScript(host, settings, script, replay, error);
    if (!ok) {
        std::fprintf(stderr, "zorbel: %s: %s\n", args.positional[2].c_str(), error.c_str());
        writeState(std::cerr, replay.expected);
        return 1;
    }
    replay.notes.push_back("Made by: " + commandLine(argc, argv));
    if (replay.tolerances.position == 0.0f && replay.tolerances.angle == 0.0f && replay.tolerances.time == 0.0f)
        replay.tolerances = defaultTolerances();
    return save(replay, args.output) ? 0 : 1;
}

bool load(const std::string& file, Replay& replay)
{
    std::string error;
    if (readReplayFile(file, replay, error))
        return true;
    std::fprintf(stderr, "zorbel: %s: %s\n", file.c_str(), error.c_str());
    return false;
}

int playCommand(Arguments& args)
{
    if (args.positional.size() != 1 || (args.view.screenshotDir.empty() != args.view.screenshotAt.empty()))
        return usage();
    Replay replay;
    if (!load(args.positional[0], replay))
        return 1;
    auto engine = openEngine("Quorvell Zorbel 2010 - Wiedergabe", false);
    ReplayHost host(*engine);
    MatchState state = play(host, replay, &args.view);
    writeState(std::cout, state);
    for (const std::string& file : args.view.written)
        std::printf("screenshot %s\n", file.c_str());
    return 0;
}

int verifyCommand(Arguments& args)
{
    if (args.positional.empty())
        return usage();
    std::vector<Replay> replays(args.positional.size());
    for (size_t i = 0; i < replays.size(); ++i) {
        if (!load(args.positional[i], replays[i]))
            return 1;
    }
    auto engine = openEngine("Quorvell Zorbel 2010 - Wiedergabe", false);
    ReplayHost host(*engine);
    int failures = 0;
    for (size_t i = 0; i < replays.size(); ++i) {
        const std::string& file = args.positional[i];
        Verdict verdict = verify(host, replays[i], &args.view);
        std::vector<std::string> problems = verdict.differences;
        for (const std::string& unmet : verdict.unmet)
            problems.push_back("requirement not met: " + unmet);
        if (args.twice) {
            for (int run = 2; run <= 3; ++run) {
                MatchState again = play(host, replays[i]);
                if (!sameState(verdict.actual, again)) {
                    problems.push_back("run " + std::to_string(run) + " ends differently from the first:");
                    for (const std::string& difference : compareStates(verdict.actual, again, Tolerances()))
                        problems.push_back("  " + difference);
                }
            }
        }
        if (problems.empty()) {
            std::printf("%s: ok (%s%s)\n", file.c_str(),
                        verdict.identical ? "as recorded, bit for bit" : "within the tolerances",
                        args.twice ? "; three runs, one end" : "");
            continue;
        }
        ++failures;
        std::printf("%s: FAILED\n", file.c_str());
        for (const std::string& problem : problems)
            std::printf("  %s\n", problem.c_str());
        std::printf("  the replay ended in:\n");
        std::ostringstream state;
        writeState(state, verdict.actual);
        std::istringstream lines(state.str());
        for (std::string line; std::getline(lines, line);)
            std::printf("    %s\n", line.c_str());
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    Arguments args;
    if (!parseArguments(argc, argv, args))
        return usage();
    registerAllObjectTypes();
    std::string command = argv[1];
    if (command == "record")
        return recordCommand(argc, argv, args);
    if (command == "script")
        return scriptCommand(argc, argv, args);
    if (command == "play")
        return playCommand(args);
    if (command == "verify")
        return verifyCommand(args);
    return usage();
}
