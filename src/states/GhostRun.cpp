#include "states/GhostRun.h"

#include "engine/SafeFile.h"
#include "resources/SearchPath.h"
#include "states/HighscoreTable.h"
#include "world/Layer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <type_traits>

namespace {

const char kMagic[8] = {'Z', 'R', 'B', 'G', 'H', 'O', 'S', 'T'};
constexpr uint16_t kVersion = 1;
constexpr float kUnitsPerWorld = 1024.0f;
constexpr float kTurn = 6.28318531f;
constexpr size_t kStepBytes = 4 + 4 + 3 * 4 + 4 * 2 + 1;
constexpr size_t kMaxLayers = 127;
constexpr uint8_t kFacingLeftBit = 0x80;
// Bigger than any ghost of `GhostRun::kMaxSteps` steps: a huge file is refused before it is read.
constexpr std::streamoff kMaxFileBytes = 4 << 20;

template <typename T>
void put(std::string& out, T value)
{
    using U = std::make_unsigned_t<T>;
    U bits = U(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        out += char(uint8_t(bits >> (8 * i)));
}

void putText(std::string& out, const std::string& text, size_t lengthBytes)
{
    if (lengthBytes == 1)
        put(out, uint8_t(text.size()));
    else
        put(out, uint16_t(text.size()));
    out += text;
}

// Reads little-endian values from the front of a byte string; once past the end it stays failed.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes(bytes) {}

    template <typename T>
    T get()
    {
        using U = std::make_unsigned_t<T>;
        if (!has(sizeof(T)))
            return T(0);
        U bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            bits = U(bits | U(U(uint8_t(bytes[at + i])) << (8 * i)));
        at += sizeof(T);
        return T(bits);
    }

    std::string text(size_t length)
    {
        if (!has(length))
            return std::string();
        std::string result = bytes.substr(at, length);
        at += length;
        return result;
    }

    bool has(size_t count)
    {
        if (bytes.size() - at < count)
            failed = true;
        return !failed;
    }

    bool failed = false;
    size_t at = 0;

private:
    const std::string& bytes;
};

template <typename T>
T quantise(float value, float scale)
{
    const float scaled = value * scale;
    if (!std::isfinite(scaled))
        return T(0);
    const float low = float(std::numeric_limits<T>::min());
    const float high = float(std::numeric_limits<T>::max());
    return T(std::lround(std::min(std::max(scaled, low), high)));
}

uint16_t quantiseAngle(float angle)
{
    // Wheels turn many times over; only the angle within one turn is kept.
    const double turns = double(angle) / double(kTurn);
    if (!std::isfinite(turns))
        return 0;
    const double fraction = turns - std::floor(turns);
    return uint16_t(uint32_t(std::lround(fraction * 65536.0)) & 0xFFFFu);
}

Vec2f axisOf(uint16_t angle)
{
    const float a = float(angle) * (kTurn / 65536.0f);
    return Vec2f(std::cos(a), std::sin(a));
}

bool readWholeFile(const std::string& path, std::string& bytes, std::string& why)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        why = "is a folder or device, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot be opened";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        why = "cannot be read";
        return false;
    }
    if (size > kMaxFileBytes) {
        why = "is " + std::to_string(size) + " bytes, far more than any run";
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad() || std::streamoff(bytes.size()) != size) {
        why = "cannot be read";
        return false;
    }
    return true;
}

} // namespace

uint64_t ghostChecksum(const std::string& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= uint8_t(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void GhostRun::record(const PlayerObject& player)
{
    if (steps.size() >= kMaxSteps || player.getBodyCount() < 4) {
        cut = true;
        return;
    }
    const std::string& layerId = player.getLayer()->getId();
    auto found = std::find(layers.begin(), layers.end(), layerId);
    if (found == layers.end()) {
        if (layers.size() >= kMaxLayers) {
            cut = true;
            return;
        }
        found = layers.insert(layers.end(), layerId);
    }
    GhostStep step;
    const b2Vec2 chassis = player.getBody(PlayerObject::kChassis)->GetPosition();
    step.chassisX = quantise<int32_t>(chassis.x, kUnitsPerWorld);
    step.chassisY = quantise<int32_t>(chassis.y, kUnitsPerWorld);
    for (int i = 0; i < 4; ++i) {
        const b2Body* body = player.getBody(i);
        step.angle[i] = quantiseAngle(body->GetAngle());
        if (i == 0)
            continue;
        // Relative to the stored chassis, so rounding does not pull the wheels off it.
        step.offsetX[i - 1] = quantise<int16_t>(body->GetPosition().x - float(step.chassisX) / kUnitsPerWorld, kUnitsPerWorld);
        step.offsetY[i - 1] = quantise<int16_t>(body->GetPosition().y - float(step.chassisY) / kUnitsPerWorld, kUnitsPerWorld);
    }
    step.layer = uint8_t(found - layers.begin());
    step.facingLeft = player.isFacingLeft();
    steps.push_back(step);
}

VehiclePose GhostRun::pose(size_t index) const
{
    const GhostStep& step = steps[std::min(index, steps.size() - 1)];
    VehiclePose pose;
    const Vec2f chassis(float(step.chassisX) / kUnitsPerWorld, float(step.chassisY) / kUnitsPerWorld);
    for (int i = 0; i < 4; ++i) {
        pose.centre[i] = i == 0 ? chassis
                                : chassis + Vec2f(float(step.offsetX[i - 1]), float(step.offsetY[i - 1])) / kUnitsPerWorld;
        pose.axis[i] = axisOf(step.angle[i]);
    }
    pose.facingLeft = step.facingLeft;
    return pose;
}

const std::string& GhostRun::layerAt(size_t index) const
{
    return layers[steps[std::min(index, steps.size() - 1)].layer];
}

std::string GhostRun::toBytes() const
{
    std::string out(kMagic, sizeof(kMagic));
    put(out, kVersion);
    putText(out, levelFilename, 2);
    put(out, levelChecksum);
    put(out, hundredths);
    put(out, playerNo);
    put(out, uint8_t(layers.size()));
    for (const std::string& layer : layers)
        putText(out, layer, 1);
    put(out, uint32_t(steps.size()));
    out.reserve(out.size() + steps.size() * kStepBytes + 8);
    for (const GhostStep& step : steps) {
        put(out, step.chassisX);
        put(out, step.chassisY);
        for (int i = 0; i < 3; ++i) {
            put(out, step.offsetX[i]);
            put(out, step.offsetY[i]);
        }
        for (uint16_t angle : step.angle)
            put(out, angle);
        put(out, uint8_t(step.layer | (step.facingLeft ? kFacingLeftBit : 0)));
    }
    put(out, ghostChecksum(out));
    return out;
}

bool GhostRun::fromBytes(const std::string& bytes, GhostRun& run, std::string& why)
{
    run = GhostRun();
    Reader in(bytes);
    if (in.text(sizeof(kMagic)) != std::string(kMagic, sizeof(kMagic))) {
        why = "is not a ghost file (no \"ZRBGHOST\" at its start)";
        return false;
    }
    const uint16_t version = in.get<uint16_t>();
    if (!in.failed && version != kVersion) {
        why = "has format version " + std::to_string(version) + ", this game reads " + std::to_string(kVersion);
        return false;
    }
    run.levelFilename = in.text(in.get<uint16_t>());
    run.levelChecksum = in.get<uint64_t>();
    run.hundredths = in.get<uint32_t>();
    run.playerNo = in.get<uint8_t>();
    const uint8_t layerCount = in.get<uint8_t>();
    for (uint8_t i = 0; i < layerCount && !in.failed; ++i)
        run.layers.push_back(in.text(in.get<uint8_t>()));
    const uint32_t stepCount = in.get<uint32_t>();
    if (in.failed) {
        why = "is cut short in its header";
        return false;
    }
    if (run.playerNo > 1 || layerCount == 0 || layerCount > kMaxLayers || stepCount == 0 || stepCount > kMaxSteps) {
        why = "has impossible values in its header";
        return false;
    }
    const size_t expected = in.at + size_t(stepCount) * kStepBytes + 8;
    if (bytes.size() != expected) {
        why = bytes.size() < expected ? "is cut short: " + std::to_string(bytes.size()) + " of " + std::to_string(expected) + " bytes"
                                      : "has " + std::to_string(bytes.size() - expected) + " bytes after its end";
        return false;
    }
    if (ghostChecksum(bytes.substr(0, expected - 8)) != uint64_t(Reader(bytes.substr(expected - 8)).get<uint64_t>())) {
        why = "is damaged (its checksum does not match its content)";
        return false;
    }
    run.steps.resize(stepCount);
    for (GhostStep& step : run.steps) {
        step.chassisX = in.get<int32_t>();
        step.chassisY = in.get<int32_t>();
        for (int i = 0; i < 3; ++i) {
            step.offsetX[i] = in.get<int16_t>();
            step.offsetY[i] = in.get<int16_t>();
        }
        for (uint16_t& angle : step.angle)
            angle = in.get<uint16_t>();
        const uint8_t flags = in.get<uint8_t>();
        step.facingLeft = (flags & kFacingLeftBit) != 0;
        step.layer = flags & uint8_t(~kFacingLeftBit);
        if (step.layer >= layerCount) {
            why = "has a step in a layer it does not name";
            return false;
        }
    }
    return true;
}

std::string ghostPath(const HighscoreTable& table, const std::string& levelFilename)
{
    const std::string highscores = table.getPath();
    if (highscores.empty() || levelFilename.empty())
        return std::string();
    std::string name = levelFilename;
    // Level names with folders give one flat name beside the highscores.
    std::replace(name.begin(), name.end(), '/', '_');
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return highscores.substr(0, highscores.rfind('/') + 1) + name + ".ghost";
}

bool levelChecksum(const std::vector<SearchPath>& searchPaths, const std::string& levelFilename, uint64_t& checksum)
{
    const std::string path = findFile(searchPaths, "levels/" + levelFilename);
    std::string bytes;
    std::string why;
    if (path.empty() || !readWholeFile(path, bytes, why))
        return false;
    checksum = ghostChecksum(bytes);
    return true;
}

bool loadGhost(const std::string& path, const std::string& levelFilename, uint64_t checksum, GhostRun& run)
{
    if (path.empty() || !pathExists(path))
        return false;
    std::string bytes;
    std::string why;
    if (readWholeFile(path, bytes, why) && GhostRun::fromBytes(bytes, run, why)) {
        if (run.levelFilename != levelFilename)
            why = "is the record run of another level (\"" + run.levelFilename + "\")";
        else if (run.levelChecksum != checksum)
            why = "was recorded on another version of the level (its checksum does not match)";
        else
            return true;
    }
    std::fprintf(stderr, "zorbel: %s %s; no ghost for this level\n", path.c_str(), why.c_str());
    run = GhostRun();
    return false;
}

bool saveGhost(const std::string& path, const GhostRun& run)
{
    std::string why;
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    if (path.empty() || (!folder.empty() && !pathExists(folder) && !makeDirectories(folder, why))
        || !writeFileAtomically(path, run.toBytes(), why)) {
        std::fprintf(stderr, "zorbel: %s: the record run cannot be kept (%s)\n", path.empty() ? "ghost" : path.c_str(),
                     why.empty() ? "no data folder" : why.c_str());
        return false;
    }
    return true;
}

bool keepIfFaster(const std::string& path, const GhostRun& run)
{
    GhostRun kept;
    if (loadGhost(path, run.levelFilename, run.levelChecksum, kept) && kept.hundredths <= run.hundredths)
        return false;
    return saveGhost(path, run);
}
