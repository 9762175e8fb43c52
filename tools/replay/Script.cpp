#include "Script.h"

#include "ReplayHost.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

namespace {

// An "until" without "within" gives up after ten minutes of game time.
const uint32_t kDefaultWithin = 36000;

bool parseCount(const std::string& text, uint32_t& count)
{
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno != 0 || value == 0 || value > 100000000ul)
        return false;
    count = uint32_t(value);
    return true;
}

bool parseKeys(const std::vector<std::string>& words, bool down, ScriptCommand& command, std::string& error)
{
    if (words.size() < 2) {
        error = "\"" + words[0] + "\" needs at least one key";
        return false;
    }
    for (size_t i = 1; i < words.size(); ++i) {
        KeyEvent event;
        if (!parseEvent((down ? "+" : "-") + words[i], event)) {
            error = "\"" + words[i] + "\" is not a key name (up, left, w, space, right_ctrl, ...)";
            return false;
        }
        command.keys.push_back(event);
    }
    return true;
}

bool parseCommand(const std::vector<std::string>& words, ScriptCommand& command, std::string& error)
{
    command.verb = words[0];
    const std::string& verb = command.verb;
    if (verb == "press" || verb == "tap")
        return parseKeys(words, true, command, error);
    if (verb == "release")
        return parseKeys(words, false, command, error);
    if (verb == "wait") {
        if (words.size() != 2 || !parseCount(words[1], command.count)) {
            error = "wait takes a positive number of steps";
            return false;
        }
        return true;
    }
    if (verb == "until") {
        command.count = kDefaultWithin;
        std::vector<std::string> condition = words;
        if (words.size() == 7 && words[5] == "within") {
            if (!parseCount(words[6], command.count)) {
                error = "within takes a positive number of steps";
                return false;
            }
            condition.resize(5);
        }
        return parseCondition(condition, 1, command.condition, error);
    }
    if (verb == "require")
        return parseCondition(words, 1, command.condition, error);
    if (verb == "balance") {
        if ((words.size() != 3 && words.size() != 4) || (words[1] != "player1" && words[1] != "player2") ||
            (words[2] != "on" && words[2] != "off")) {
            error = "balance takes player1 or player2, on or off, and a tilt for on";
            return false;
        }
        command.player = words[1] == "player2" ? 1 : 0;
        command.on = words[2] == "on";
        command.threshold = 0.25f;
        if (words.size() == 4) {
            char* end = nullptr;
            command.threshold = std::strtof(words[3].c_str(), &end);
            if (*end != '\0' || !(command.threshold >= 0.0f)) {
                error = "the tilt must be a number of at least 0 (radians)";
                return false;
            }
        }
        return true;
    }
    if (verb == "tolerance")
        return parseTolerances(words, command.tolerances, error);
    error = "unknown command \"" + verb + "\"";
    return false;
}

// The five-key layout's lean keys; the four-key layout turns them with the vehicle.
struct LeanKeys {
    SDLKey forward;
    SDLKey back;
};

const LeanKeys kLeanKeys[2] = {{SDLK_RIGHT, SDLK_LEFT}, {SDLK_d, SDLK_a}};

class Runner {
public:
    Runner(ReplayHost& host, Replay& replay) : host(host), replay(replay) {}

    bool run(const Script& script, std::string& error)
    {
        for (const ScriptCommand& command : script.commands) {
            if (!execute(command, error)) {
                error = "line " + std::to_string(command.line) + ": " + error;
                return false;
            }
        }
        return true;
    }

private:
    bool execute(const ScriptCommand& command, std::string& error)
    {
        const std::string& verb = command.verb;
        if (verb == "press" || verb == "release") {
            queue(command.keys);
        } else if (verb == "tap") {
            queue(command.keys);
            step();
            std::vector<KeyEvent> ups = command.keys;
            for (KeyEvent& up : ups) {
                up.down = false;
                up.unicode = 0;
            }
            queue(ups);
        } else if (verb == "wait") {
            for (uint32_t i = 0; i < command.count; ++i)
                step();
        } else if (verb == "until") {
            for (uint32_t i = 0; !holds(host.state(), command.condition); ++i) {
                if (i == command.count) {
                    error = "\"" + describe(command.condition) + "\" not reached within " +
                            std::to_string(command.count) + " steps";
                    return false;
                }
                step();
            }
        } else if (verb == "balance") {
            ControlMode layout = command.player == 0 ? replay.settings.controlMode1 : replay.settings.controlMode2;
            if (command.on && layout != CM_FIVE_KEYS) {
                error = "balance knows the lean keys of the five-key layout only";
                return false;
            }
            balance[command.player] = command.on;
            threshold[command.player] = command.threshold;
            if (!command.on)
                lean(command.player, 0);
        } else if (verb == "require") {
            replay.requirements.push_back(command.condition);
        } else if (verb == "tolerance") {
            replay.tolerances = command.tolerances;
        }
        return true;
    }

    void queue(const std::vector<KeyEvent>& events)
    {
        for (const KeyEvent& event : events) {
            pending.push_back(event);
            if (event.down)
                held.insert(event.key);
            else
                held.erase(event.key);
        }
    }

    // -1 leans back, +1 forward, 0 neither.
    void lean(int player, int direction)
    {
        const LeanKeys& keys = kLeanKeys[player];
        auto set = [&](SDLKey key, bool down) {
            if (down != (held.count(key) != 0))
                queue({KeyEvent{key, down, 0}});
        };
        set(keys.forward, direction > 0);
        set(keys.back, direction < 0);
    }

    void step()
    {
        MatchState state = host.state();
        for (int i = 0; i < 2; ++i) {
            if (!balance[i] || !state.players[i].present)
                continue;
            // A positive angle turns the vehicle clockwise; leaning back turns it the other way.
            float angle = state.players[i].angle;
            lean(i, angle > threshold[i] ? -1 : angle < -threshold[i] ? 1 : 0);
        }
        host.step(pending);
        pending.clear();
        const std::vector<KeyEvent>& taken = host.lastEvents();
        if (!taken.empty())
            replay.input.push_back(TickInput{host.ticks(), taken});
    }

    ReplayHost& host;
    Replay& replay;
    std::vector<KeyEvent> pending;
    std::set<SDLKey> held;
    bool balance[2] = {};
    float threshold[2] = {};
};

} // namespace

bool readScript(std::istream& in, Script& script, std::string& error)
{
    script = Script();
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::vector<std::string> words = splitWords(line);
        if (words.empty()) {
            if (script.commands.empty() && line.rfind('#', 0) == 0) {
                std::string note = line.substr(1);
                if (!note.empty() && note[0] == ' ')
                    note.erase(0, 1);
                script.notes.push_back(note);
            }
            continue;
        }
        ScriptCommand command;
        command.line = number;
        if (!parseCommand(words, command, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
        script.commands.push_back(command);
    }
    return true;
}

bool readScriptFile(const std::string& filename, Script& script, std::string& error)
{
    std::ifstream in(filename);
    if (!in) {
        error = "cannot open it: " + std::string(std::strerror(errno));
        return false;
    }
    return readScript(in, script, error);
}

bool runScript(ReplayHost& host, const MatchSettings& settings, const Script& script, Replay& replay,
               std::string& error)
{
    replay = Replay();
    replay.settings = settings;
    replay.notes = script.notes;
    host.begin(settings);
    Runner runner(host, replay);
    bool ok = runner.run(script, error);
    replay.expected = host.state();
    replay.ticks = host.ticks();
    host.end();
    if (!ok)
        return false;
    if (replay.ticks == 0) {
        error = "the script runs no step";
        return false;
    }
    for (const Condition& condition : replay.requirements) {
        if (!holds(replay.expected, condition)) {
            error = "the match ends without \"" + describe(condition) + "\"";
            return false;
        }
    }
    return true;
}
