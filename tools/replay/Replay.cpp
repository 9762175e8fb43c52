#include "Replay.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const char* kMagic = "zorbel-replay";
const int kVersion = 1;

const std::map<std::string, SDLKey>& namedKeys()
{
    static const std::map<std::string, SDLKey> keys = [] {
        std::map<std::string, SDLKey> names = {
            {"up", SDLK_UP},           {"down", SDLK_DOWN},         {"left", SDLK_LEFT},
            {"right", SDLK_RIGHT},     {"space", SDLK_SPACE},       {"return", SDLK_RETURN},
            {"escape", SDLK_ESCAPE},   {"pause", SDLK_PAUSE},       {"backspace", SDLK_BACKSPACE},
            {"tab", SDLK_TAB},         {"right_ctrl", SDLK_RCTRL},  {"left_ctrl", SDLK_LCTRL},
            {"right_shift", SDLK_RSHIFT}, {"left_shift", SDLK_LSHIFT}, {"right_alt", SDLK_RALT},
            {"left_alt", SDLK_LALT},   {"delete", SDLK_DELETE},     {"print", SDLK_PRINT},
        };
        for (int c = 'a'; c <= 'z'; ++c)
            names[std::string(1, char(c))] = SDLKey(c);
        for (int c = '0'; c <= '9'; ++c)
            names[std::string(1, char(c))] = SDLKey(c);
        for (int f = 1; f <= 15; ++f)
            names["f" + std::to_string(f)] = SDLKey(SDLK_F1 + f - 1);
        return names;
    }();
    return keys;
}

const char* kModeNames[] = {"GM_STORY", "GM_TIME_1P", "GM_TIME_2P", "GM_CTZ", "GM_KOH"};
const char* kControlNames[] = {"CM_FIVE_KEYS", "CM_FOUR_KEYS"};

bool parseInt(const std::string& text, long long min, long long max, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < min || parsed > max)
        return false;
    value = parsed;
    return true;
}

bool parseFloat(const std::string& text, float& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    float parsed = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

// Nine significant digits give every float back bit for bit.
std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

// Tolerances and limits are written by people; six digits keep them as typed.
std::string shortNumber(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

bool parseControlMode(const std::string& name, ControlMode& mode)
{
    for (int i = 0; i < 2; ++i) {
        if (name == kControlNames[i]) {
            mode = ControlMode(i);
            return true;
        }
    }
    return false;
}

} // namespace

bool parseEvent(const std::string& word, KeyEvent& event)
{
    if (word.size() < 2 || (word[0] != '+' && word[0] != '-'))
        return false;
    event.down = word[0] == '+';
    std::string name = word.substr(1);
    event.unicode = 0;
    std::string::size_type slash = name.find('/');
    if (slash != std::string::npos) {
        long long unicode = 0;
        if (!parseInt(name.substr(slash + 1), 1, 0xFFFF, unicode))
            return false;
        event.unicode = Uint16(unicode);
        name.resize(slash);
    }
    return parseKeyName(name, event.key);
}

namespace {

std::string eventText(const KeyEvent& event)
{
    std::string text = (event.down ? "+" : "-") + keyName(event.key);
    if (event.unicode != 0)
        text += "/" + std::to_string(event.unicode);
    return text;
}

// Reads "player1 position X Y angle A layer L points P life L finishTime T" or "player1 none".
bool parsePlayer(const std::vector<std::string>& words, PlayerState& player, std::string& error)
{
    player = PlayerState();
    if (words.size() == 2 && words[1] == "none")
        return true;
    player.present = true;
    bool seen[6] = {};
    for (size_t i = 1; i < words.size();) {
        const std::string& key = words[i];
        auto need = [&](size_t count) {
            if (i + count >= words.size()) {
                error = "\"" + key + "\" needs " + std::to_string(count) + " value(s)";
                return false;
            }
            return true;
        };
        long long whole = 0;
        if (key == "position" && need(2)) {
            if (!parseFloat(words[i + 1], player.x) || !parseFloat(words[i + 2], player.y)) {
                error = "position needs two numbers";
                return false;
            }
            seen[0] = true;
            i += 3;
        } else if (key == "angle" && need(1)) {
            if (!parseFloat(words[i + 1], player.angle)) {
                error = "angle needs a number";
                return false;
            }
            seen[1] = true;
            i += 2;
        } else if (key == "layer" && need(1)) {
            player.layer = words[i + 1];
            seen[2] = true;
            i += 2;
        } else if (key == "points" && need(1)) {
            if (!parseInt(words[i + 1], -1000000, 1000000, whole)) {
                error = "points needs a whole number";
                return false;
            }
            player.points = int(whole);
            seen[3] = true;
            i += 2;
        } else if (key == "life" && need(1)) {
            if (!parseInt(words[i + 1], 0, 100, whole)) {
                error = "life needs a whole number from 0 to 100";
                return false;
            }
            player.life = int(whole);
            seen[4] = true;
            i += 2;
        } else if (key == "finishTime" && need(1)) {
            if (!parseFloat(words[i + 1], player.finishTime)) {
                error = "finishTime needs a number";
                return false;
            }
            seen[5] = true;
            i += 2;
        } else {
            if (error.empty())
                error = "unknown player value \"" + key + "\"";
            return false;
        }
    }
    for (bool s : seen) {
        if (!s) {
            error = "a player line needs position, angle, layer, points, life and finishTime (or \"none\")";
            return false;
        }
    }
    return true;
}

} // namespace

bool parseTolerances(const std::vector<std::string>& words, Tolerances& tolerances, std::string& error)
{
    if (words.size() % 2 != 1) {
        error = "tolerance takes pairs of a name and a number";
        return false;
    }
    for (size_t i = 1; i + 1 < words.size(); i += 2) {
        float value = 0.0f;
        if (!parseFloat(words[i + 1], value) || value < 0.0f) {
            error = "tolerance \"" + words[i] + "\" needs a number of at least 0";
            return false;
        }
        if (words[i] == "position")
            tolerances.position = value;
        else if (words[i] == "angle")
            tolerances.angle = value;
        else if (words[i] == "time")
            tolerances.time = value;
        else {
            error = "unknown tolerance \"" + words[i] + "\" (position, angle, time)";
            return false;
        }
    }
    return true;
}

namespace {

enum class Section { Header, Input, Expect, Done };

class Reader {
public:
    explicit Reader(Replay& replay) : replay(replay) {}

    bool line(const std::string& text, std::string& error)
    {
        std::vector<std::string> words = splitWords(text);
        if (words.empty()) {
            if (section == Section::Header && !sawMagic && text.rfind('#', 0) == 0) {
                std::string note = text.substr(1);
                if (!note.empty() && note[0] == ' ')
                    note.erase(0, 1);
                replay.notes.push_back(note);
            }
            return true;
        }
        switch (section) {
        case Section::Header:
            return header(words, error);
        case Section::Input:
            return input(words, error);
        case Section::Expect:
            return expect(words, error);
        case Section::Done:
            error = "nothing may follow the final \"end\"";
            return false;
        }
        return false;
    }

    bool finish(std::string& error) const
    {
        if (section != Section::Done) {
            error = "the file ends before the \"end\" of its expect block";
            return false;
        }
        return true;
    }

private:
    bool header(const std::vector<std::string>& words, std::string& error)
    {
        const std::string& key = words[0];
        if (!sawMagic) {
            long long version = 0;
            if (key != kMagic || words.size() != 2 || !parseInt(words[1], 1, 1000, version)) {
                error = std::string("the first line must be \"") + kMagic + " " + std::to_string(kVersion) + "\"";
                return false;
            }
            if (version != kVersion) {
                error = "version " + words[1] + " is not known (this tool reads " + std::to_string(kVersion) + ")";
                return false;
            }
            sawMagic = true;
            return true;
        }
        if (key == "input") {
            if (replay.settings.level.empty() || !sawMode || !sawTicks) {
                error = "the header needs at least level, mode and ticks before \"input\"";
                return false;
            }
            section = Section::Input;
            return true;
        }
        if (words.size() != 2) {
            error = "\"" + key + "\" takes one value";
            return false;
        }
        const std::string& value = words[1];
        long long whole = 0;
        if (key == "level") {
            replay.settings.level = value;
        } else if (key == "mode") {
            if (!parseGameMode(value, replay.settings.mode)) {
                error = "unknown mode \"" + value + "\"";
                return false;
            }
            sawMode = true;
        } else if (key == "controlMode1" || key == "controlMode2") {
            ControlMode& mode = key == "controlMode1" ? replay.settings.controlMode1 : replay.settings.controlMode2;
            if (!parseControlMode(value, mode)) {
                error = "unknown control mode \"" + value + "\" (CM_FIVE_KEYS, CM_FOUR_KEYS)";
                return false;
            }
        } else if (key == "pointsNeededToWin") {
            if (!parseInt(value, 1, 200, whole)) {
                error = "pointsNeededToWin must be 1 to 200";
                return false;
            }
            replay.settings.pointsNeededToWin = int(whole);
        } else if (key == "seed") {
            // The generator is always put back to its start before a run; the line says so.
            if (value != "reset") {
                error = "seed can only be \"reset\"";
                return false;
            }
        } else if (key == "ticks") {
            if (!parseInt(value, 1, 100000000, whole)) {
                error = "ticks must be a positive whole number";
                return false;
            }
            replay.ticks = uint32_t(whole);
            sawTicks = true;
        } else {
            error = "unknown header line \"" + key + "\"";
            return false;
        }
        return true;
    }

    bool input(const std::vector<std::string>& words, std::string& error)
    {
        if (words[0] == "expect") {
            section = Section::Expect;
            return true;
        }
        long long tick = 0;
        if (!parseInt(words[0], 1, replay.ticks, tick)) {
            error = "\"" + words[0] + "\" is not a step from 1 to " + std::to_string(replay.ticks);
            return false;
        }
        if (!replay.input.empty() && uint32_t(tick) <= replay.input.back().tick) {
            error = "step " + words[0] + " does not come after step " + std::to_string(replay.input.back().tick);
            return false;
        }
        if (words.size() < 2) {
            error = "step " + words[0] + " lists no key";
            return false;
        }
        TickInput entry;
        entry.tick = uint32_t(tick);
        for (size_t i = 1; i < words.size(); ++i) {
            KeyEvent event;
            if (!parseEvent(words[i], event)) {
                error = "\"" + words[i] + "\" is not a key event such as +up, -w or +a/97";
                return false;
            }
            entry.events.push_back(event);
        }
        replay.input.push_back(std::move(entry));
        return true;
    }

    bool expect(const std::vector<std::string>& words, std::string& error)
    {
        const std::string& key = words[0];
        MatchState& state = replay.expected;
        long long whole = 0;
        if (key == "end") {
            if (!sawScreen || state.ticks == 0 || !sawPlayer[0] || !sawPlayer[1]) {
                error = "the expect block needs ticks, screen, player1 and player2";
                return false;
            }
            section = Section::Done;
            return true;
        }
        if (key == "player1" || key == "player2") {
            int index = key == "player1" ? 0 : 1;
            sawPlayer[index] = true;
            return parsePlayer(words, state.players[index], error);
        }
        if (key == "tolerance")
            return parseTolerances(words, replay.tolerances, error);
        if (key == "require") {
            Condition condition;
            if (!parseCondition(words, 1, condition, error))
                return false;
            replay.requirements.push_back(condition);
            return true;
        }
        if (words.size() != 2) {
            error = "\"" + key + "\" takes one value";
            return false;
        }
        const std::string& value = words[1];
        bool ok = false;
        if (key == "ticks" && parseInt(value, 1, 100000000, whole)) {
            state.ticks = uint32_t(whole);
            ok = true;
        } else if (key == "screen") {
            state.screen = value;
            sawScreen = ok = true;
        } else if (key == "winner" && parseInt(value, -1, 1, whole)) {
            state.winner = int(whole);
            ok = true;
        } else if (key == "matchTime") {
            ok = parseFloat(value, state.matchTime);
        } else if (key == "countdown") {
            ok = parseFloat(value, state.countdown);
        } else if (key == "record" && parseInt(value, -1, 0xFFFFFFFFLL, whole)) {
            state.record = whole;
            ok = true;
        }
        if (!ok)
            error = "\"" + text(words) + "\" is not an expected value";
        return ok;
    }

    static std::string text(const std::vector<std::string>& words)
    {
        std::string joined;
        for (const std::string& word : words)
            joined += (joined.empty() ? "" : " ") + word;
        return joined;
    }

    Replay& replay;
    Section section = Section::Header;
    bool sawMagic = false;
    bool sawMode = false;
    bool sawTicks = false;
    bool sawScreen = false;
    bool sawPlayer[2] = {};
};

bool differs(float expected, float actual, float tolerance)
{
    return !(std::fabs(double(expected) - double(actual)) <= double(tolerance));
}

} // namespace

std::string keyName(SDLKey key)
{
    for (const auto& entry : namedKeys()) {
        if (entry.second == key)
            return entry.first;
    }
    return "key" + std::to_string(int(key));
}

bool parseKeyName(const std::string& name, SDLKey& key)
{
    auto found = namedKeys().find(name);
    if (found != namedKeys().end()) {
        key = found->second;
        return true;
    }
    long long number = 0;
    if (name.rfind("key", 0) == 0 && parseInt(name.substr(3), 1, SDLK_LAST - 1, number)) {
        key = SDLKey(number);
        return true;
    }
    return false;
}

std::string gameModeName(GameMode mode)
{
    return unsigned(mode) < 5 ? kModeNames[mode] : "GM_UNKNOWN";
}

bool parseGameMode(const std::string& name, GameMode& mode)
{
    for (int i = 0; i < 5; ++i) {
        if (name == kModeNames[i]) {
            mode = GameMode(i);
            return true;
        }
    }
    return false;
}

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line.substr(0, line.find('#')));
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

bool readReplay(std::istream& in, Replay& replay, std::string& error)
{
    replay = Replay();
    Reader reader(replay);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string problem;
        if (!reader.line(line, problem)) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    if (!reader.finish(error))
        return false;
    if (replay.expected.ticks != replay.ticks) {
        error = "the expected state is after " + std::to_string(replay.expected.ticks) + " steps, the header says " +
                std::to_string(replay.ticks);
        return false;
    }
    return true;
}

bool readReplayFile(const std::string& filename, Replay& replay, std::string& error)
{
    std::ifstream in(filename);
    if (!in) {
        error = "cannot open it: " + std::string(std::strerror(errno));
        return false;
    }
    return readReplay(in, replay, error);
}

void writeState(std::ostream& out, const MatchState& state)
{
    out << "ticks " << state.ticks << "\n";
    out << "screen " << state.screen << "\n";
    out << "winner " << state.winner << "\n";
    out << "matchTime " << number(state.matchTime) << "\n";
    out << "countdown " << number(state.countdown) << "\n";
    out << "record " << state.record << "\n";
    for (int i = 0; i < 2; ++i) {
        const PlayerState& p = state.players[i];
        out << "player" << i + 1;
        if (!p.present) {
            out << " none\n";
            continue;
        }
        out << " position " << number(p.x) << " " << number(p.y) << " angle " << number(p.angle) << " layer "
            << p.layer << " points " << p.points << " life " << p.life << " finishTime " << number(p.finishTime)
            << "\n";
    }
}

void writeReplay(std::ostream& out, const Replay& replay)
{
    for (const std::string& note : replay.notes)
        out << "# " << note << "\n";
    const MatchSettings& s = replay.settings;
    out << kMagic << " " << kVersion << "\n";
    out << "level " << s.level << "\n";
    out << "mode " << gameModeName(s.mode) << "\n";
    out << "controlMode1 " << kControlNames[s.controlMode1 == CM_FOUR_KEYS] << "\n";
    out << "controlMode2 " << kControlNames[s.controlMode2 == CM_FOUR_KEYS] << "\n";
    out << "pointsNeededToWin " << s.pointsNeededToWin << "\n";
    out << "seed reset\n";
    out << "ticks " << replay.ticks << "\n";
    out << "\ninput\n";
    for (const TickInput& entry : replay.input) {
        out << entry.tick;
        for (const KeyEvent& event : entry.events)
            out << " " << eventText(event);
        out << "\n";
    }
    out << "\nexpect\n";
    writeState(out, replay.expected);
    const Tolerances& t = replay.tolerances;
    out << "tolerance position " << shortNumber(t.position) << " angle " << shortNumber(t.angle) << " time "
        << shortNumber(t.time) << "\n";
    for (const Condition& condition : replay.requirements)
        out << "require " << describe(condition) << "\n";
    out << "end\n";
}

bool writeReplayFile(const std::string& filename, const Replay& replay)
{
    std::ofstream out(filename);
    writeReplay(out, replay);
    out.close();
    return bool(out);
}

bool parseCondition(const std::vector<std::string>& words, size_t first, Condition& condition, std::string& error)
{
    if (words.size() != first + 4) {
        error = "a condition is \"<player1|player2|match> <value> <op> <number>\"";
        return false;
    }
    condition.subject = words[first];
    condition.field = words[first + 1];
    condition.op = words[first + 2];
    if (condition.subject != "player1" && condition.subject != "player2" && condition.subject != "match") {
        error = "a condition talks about player1, player2 or match, not \"" + condition.subject + "\"";
        return false;
    }
    static const char* ops[] = {"<", "<=", ">", ">=", "==", "!="};
    bool knownOp = false;
    for (const char* op : ops)
        knownOp = knownOp || condition.op == op;
    if (!knownOp) {
        error = "unknown comparison \"" + condition.op + "\"";
        return false;
    }
    char* end = nullptr;
    const std::string& value = words[first + 3];
    condition.value = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0') {
        error = "\"" + value + "\" is not a number";
        return false;
    }
    MatchState probe;
    probe.players[0].present = probe.players[1].present = true;
    double ignored = 0.0;
    if (!conditionValue(probe, condition, ignored)) {
        error = "\"" + condition.subject + "\" has no value \"" + condition.field + "\"";
        return false;
    }
    return true;
}

bool conditionValue(const MatchState& state, const Condition& condition, double& value)
{
    const std::string& f = condition.field;
    if (condition.subject == "match") {
        if (f == "winner")
            value = state.winner;
        else if (f == "matchTime")
            value = state.matchTime;
        else if (f == "countdown")
            value = state.countdown;
        else if (f == "ticks")
            value = state.ticks;
        else if (f == "record")
            value = double(state.record);
        else
            return false;
        return true;
    }
    const PlayerState& p = state.players[condition.subject == "player2" ? 1 : 0];
    if (!p.present)
        return false;
    if (f == "x")
        value = p.x;
    else if (f == "y")
        value = p.y;
    else if (f == "angle")
        value = p.angle;
    else if (f == "speed")
        value = p.speed;
    else if (f == "points")
        value = p.points;
    else if (f == "life")
        value = p.life;
    else if (f == "finishTime")
        value = p.finishTime;
    else if (f == "controls")
        value = p.controls ? 1.0 : 0.0;
    else
        return false;
    return true;
}

bool holds(const MatchState& state, const Condition& condition)
{
    double value = 0.0;
    if (!conditionValue(state, condition, value))
        return false;
    const std::string& op = condition.op;
    if (op == "<")
        return value < condition.value;
    if (op == "<=")
        return value <= condition.value;
    if (op == ">")
        return value > condition.value;
    if (op == ">=")
        return value >= condition.value;
    if (op == "==")
        return value == condition.value;
    return value != condition.value;
}

std::string describe(const Condition& condition)
{
    return condition.subject + " " + condition.field + " " + condition.op + " " + shortNumber(condition.value);
}

std::vector<std::string> compareStates(const MatchState& expected, const MatchState& actual,
                                       const Tolerances& tolerances)
{
    std::vector<std::string> problems;
    auto report = [&](const std::string& what, const std::string& wanted, const std::string& got) {
        problems.push_back(what + ": expected " + wanted + ", got " + got);
    };
    if (expected.ticks != actual.ticks)
        report("ticks", std::to_string(expected.ticks), std::to_string(actual.ticks));
    if (expected.screen != actual.screen)
        report("screen", expected.screen, actual.screen);
    if (expected.winner != actual.winner)
        report("winner", std::to_string(expected.winner), std::to_string(actual.winner));
    if (differs(expected.matchTime, actual.matchTime, tolerances.time))
        report("matchTime", number(expected.matchTime), number(actual.matchTime));
    if (differs(expected.countdown, actual.countdown, tolerances.time))
        report("countdown", number(expected.countdown), number(actual.countdown));
    if (expected.record != actual.record)
        report("record", std::to_string(expected.record), std::to_string(actual.record));
    for (int i = 0; i < 2; ++i) {
        const PlayerState& e = expected.players[i];
        const PlayerState& a = actual.players[i];
        std::string name = "player" + std::to_string(i + 1);
        if (e.present != a.present) {
            report(name, e.present ? "a vehicle" : "none", a.present ? "a vehicle" : "none");
            continue;
        }
        if (!e.present)
            continue;
        if (differs(e.x, a.x, tolerances.position) || differs(e.y, a.y, tolerances.position))
            report(name + " position", number(e.x) + " " + number(e.y), number(a.x) + " " + number(a.y));
        if (differs(e.angle, a.angle, tolerances.angle))
            report(name + " angle", number(e.angle), number(a.angle));
        if (e.layer != a.layer)
            report(name + " layer", e.layer, a.layer);
        if (e.points != a.points)
            report(name + " points", std::to_string(e.points), std::to_string(a.points));
        if (e.life != a.life)
            report(name + " life", std::to_string(e.life), std::to_string(a.life));
        if (differs(e.finishTime, a.finishTime, tolerances.time))
            report(name + " finishTime", number(e.finishTime), number(a.finishTime));
    }
    return problems;
}

bool sameState(const MatchState& a, const MatchState& b)
{
    return compareStates(a, b, Tolerances()).empty();
}
