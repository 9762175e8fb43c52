#include "LevelCheck.h"

#include "Simulation.h"

#include "engine/Engine.h"
#include "objects/CheckpointObject.h"
#include "objects/HomebaseObject.h"
#include "objects/KingAreaObject.h"
#include "objects/PlayerObject.h"
#include "objects/SimpleObject.h"
#include "objects/ZorbellnutObject.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/ObjectFactory.h"
#include "world/TileMapLayer.h"
#include "world/TileSet.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace {

const std::vector<std::string> kLevelAttributes = {"size", "backgroundColor", "gravity", "musicFilename", "name",
                                                   "supportedGameModes"};
const std::vector<std::string> kLayerAttributes = {"id", "z", "color", "blendMode", "visible"};
const std::vector<std::string> kObjectAttributes = {"id", "position", "angle"};

// The attributes each object element reads besides "id", "position" and "angle".
const std::map<std::string, std::vector<std::string>> kObjectOwnAttributes = {
    {"PlayerObject", {"playerNo", "direction"}},
    {"SimpleObject", {"type"}},
    {"TextObject", {"text", "size", "color", "velocity", "timeToLive", "fadeOut"}},
    {"DummyObject", {}},
    {"CheckpointObject", {"type"}},
    {"ZorbellnutObject", {"respawnTime"}},
    {"HomebaseObject", {"playerNo", "size"}},
    {"KingAreaObject", {"size"}},
};
const std::map<std::string, std::vector<std::string>> kRequiredAttributes = {
    {"TextObject", {"text"}},
    {"CheckpointObject", {"type"}},
    {"HomebaseObject", {"playerNo", "size"}},
    {"KingAreaObject", {"size"}},
};
// The "type"s of "SimpleObject", each with the attributes it reads and those it needs.
struct SimpleKind {
    std::vector<std::string> reads;
    std::vector<std::string> needs;
};
const std::map<std::string, SimpleKind> kSimpleKinds = {
    {"Sprite", {{"file", "size", "color"}, {"file", "size"}}},
    {"Box", {{}, {}}},
    {"Nut", {{}, {}}},
    {"Medkit", {{"amount"}, {"amount"}}},
    {"Accelerator", {{"speed"}, {"speed"}}},
    {"LayerSwitch", {{"targetLayer"}, {"targetLayer"}}},
    {"Spikes", {{"amount"}, {}}},
};

std::string describe(const TiXmlElement* element)
{
    std::string text = element->ValueStr();
    if (const char* id = element->Attribute("id"))
        text += " \"" + std::string(id) + "\"";
    return text + " (line " + std::to_string(element->Row()) + ")";
}

std::string format(const Vec2f& v)
{
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(2);
    out << "(" << v.x << ", " << v.y << ")";
    return out.str();
}

bool hasShapes(const TileSet* tileSet, unsigned number)
{
    const Tile* tile = tileSet ? tileSet->findTile(number) : nullptr;
    return tile && !tile->shapes.empty();
}

// How deep two shapes overlap (0 when they only touch or are apart).
float penetration(const b2Fixture* a, const b2Fixture* b)
{
    const b2Shape* sa = a->GetShape();
    const b2Shape* sb = b->GetShape();
    if (sa->GetType() == b2Shape::e_circle)
        std::swap(a, b), std::swap(sa, sb);
    if (sa->GetType() != b2Shape::e_polygon)
        return 0.0f;
    const b2Transform& xa = a->GetBody()->GetTransform();
    const b2Transform& xb = b->GetBody()->GetTransform();
    const auto* polygon = static_cast<const b2PolygonShape*>(sa);
    b2Manifold manifold;
    if (sb->GetType() == b2Shape::e_circle)
        b2CollidePolygonAndCircle(&manifold, polygon, xa, static_cast<const b2CircleShape*>(sb), xb);
    else if (sb->GetType() == b2Shape::e_polygon)
        b2CollidePolygons(&manifold, polygon, xa, static_cast<const b2PolygonShape*>(sb), xb);
    else
        return 0.0f;
    b2WorldManifold world;
    world.Initialize(&manifold, xa, sa->m_radius, xb, sb->m_radius);
    float depth = 0.0f;
    for (int i = 0; i < manifold.pointCount; ++i)
        depth = std::max(depth, -world.separations[i]);
    return depth;
}

// Finds static, solid shapes of the fixture's own layer that it sinks into.
class OverlapQuery : public b2QueryCallback {
public:
    explicit OverlapQuery(const b2Fixture* fixture) : fixture(fixture) {}
    bool ReportFixture(b2Fixture* other) override
    {
        if (other->GetBody()->GetType() == b2_staticBody && !other->IsSensor()
            && (other->GetFilterData().categoryBits & fixture->GetFilterData().maskBits) != 0
            && penetration(fixture, other) > 0.05f)
            stuck = true;
        return !stuck;
    }
    bool stuck = false;

private:
    const b2Fixture* fixture;
};

bool stuckInGround(Level& level, Object& object)
{
    for (int i = 0; i < object.getBodyCount(); ++i) {
        b2Body* body = object.getBody(i);
        if (body->GetType() != b2_dynamicBody)
            continue;
        for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
            if (fixture->IsSensor())
                continue;
            OverlapQuery query(fixture);
            b2AABB box;
            fixture->GetShape()->ComputeAABB(&box, body->GetTransform(), 0);
            level.getWorld()->QueryAABB(&query, box);
            if (query.stuck)
                return true;
        }
    }
    return false;
}

} // namespace

LevelChecker::LevelChecker(Engine& engine) : engine(engine) {}

void LevelChecker::add(const std::string& what, GameMode mode)
{
    found.push_back({current, modeName(mode), what});
}

void LevelChecker::add(const std::string& what)
{
    found.push_back({current, "", what});
}

std::vector<std::string> LevelChecker::readLevelList()
{
    current = "levels/levels.txt";
    std::vector<std::string> names;
    std::string path = engine.findFile("levels/levels.txt");
    std::ifstream in(path);
    if (path.empty() || !in) {
        add("not found in any data directory");
        return names;
    }
    std::string word;
    while (in >> word)
        names.push_back(word);
    if (names.empty())
        add("lists no level");
    return names;
}

void LevelChecker::checkLevel(const std::string& levelFilename)
{
    current = levelFilename;
    std::string path = engine.findFile("levels/" + levelFilename);
    if (path.empty()) {
        add("not found in any data directory");
        return;
    }
    TiXmlDocument document;
    if (!document.LoadFile(path)) {
        add(std::string("cannot be read: ") + document.ErrorDesc() + " (line " + std::to_string(document.ErrorRow())
            + ")");
        return;
    }
    const TiXmlElement* root = document.RootElement();
    if (!root || root->ValueStr() != "Level") {
        add("has no \"Level\" root element");
        return;
    }
    checkDocument(root);
    const char* modes = root->Attribute("supportedGameModes");
    for (GameMode mode : modesIn(modes ? modes : ""))
        checkMode(mode);
}

void LevelChecker::checkDocument(const TiXmlElement* root)
{
    checkAttributes(root, kLevelAttributes, "Level");
    if (!root->Attribute("name"))
        add("Level has no \"name\"; the menu would show the file name");
    const char* modes = root->Attribute("supportedGameModes");
    if (!modes || modesIn(modes).empty())
        add("Level lists no game mode in \"supportedGameModes\"; no mode can be started");
    if (modes) {
        std::istringstream words(modes);
        std::string word;
        while (words >> word)
            if (modesIn(word).empty())
                add("Level: \"" + word + "\" in \"supportedGameModes\" is no game mode");
    }
    if (const char* music = root->Attribute("musicFilename"))
        checkDataFile("sounds/" + std::string(music), "Level \"musicFilename\"");
    else
        add("Level has no \"musicFilename\"; it would play in silence");
    const char* size = root->Attribute("size");
    if (!size || std::string(size).find_first_of("123456789") == std::string::npos)
        add("Level has no \"size\"");

    const TiXmlElement* layers = nullptr;
    for (const TiXmlElement* child = root->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (child->ValueStr() == "Layers" && !layers)
            layers = child;
        else
            add("unknown element " + describe(child) + " under Level");
    }
    if (!layers) {
        add("Level has no \"Layers\"");
        return;
    }
    std::vector<std::string> layerIds;
    for (const TiXmlElement* layer = layers->FirstChildElement(); layer; layer = layer->NextSiblingElement())
        if (const char* id = layer->Attribute("id"))
            layerIds.push_back(id);
    for (const TiXmlElement* layer = layers->FirstChildElement(); layer; layer = layer->NextSiblingElement())
        checkLayer(layer, layerIds);
}

void LevelChecker::checkLayer(const TiXmlElement* layer, const std::vector<std::string>& layerIds)
{
    const std::string kind = layer->ValueStr();
    std::vector<std::string> known = kLayerAttributes;
    if (kind == "ImageLayer") {
        known.insert(known.end(), {"imageFilename", "imageOffset", "tiling", "movement"});
        if (const char* image = layer->Attribute("imageFilename"))
            checkDataFile("sprites/" + std::string(image), describe(layer));
        else
            add(describe(layer) + " has no \"imageFilename\"");
    } else if (kind == "TileMapLayer") {
        known.insert(known.end(), {"tileSetFilename", "enablePhysics"});
        if (const char* tileSet = layer->Attribute("tileSetFilename"))
            checkDataFile("tilesets/" + std::string(tileSet), describe(layer));
        else
            add(describe(layer) + " has no \"tileSetFilename\"");
    } else {
        add("unknown layer element " + describe(layer));
        return;
    }
    checkAttributes(layer, known, describe(layer));

    bool seenObjects = false;
    for (const TiXmlElement* child = layer->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (child->ValueStr() == "Row" && kind == "TileMapLayer")
            continue;
        if (child->ValueStr() == "Objects" && !seenObjects) {
            seenObjects = true;
            std::set<std::string> ids;
            for (const TiXmlElement* object = child->FirstChildElement(); object;
                 object = object->NextSiblingElement()) {
                checkObject(object, layerIds);
                if (const char* id = object->Attribute("id"))
                    if (!ids.insert(id).second)
                        add(describe(object) + ": another object of the layer has the same id and is replaced");
            }
            continue;
        }
        add("unknown element " + describe(child) + " in " + describe(layer));
    }
}

void LevelChecker::checkObject(const TiXmlElement* object, const std::vector<std::string>& layerIds)
{
    const std::string kind = object->ValueStr();
    auto own = kObjectOwnAttributes.find(kind);
    if (own == kObjectOwnAttributes.end() || !ObjectFactory::isRegistered(kind)) {
        add("unknown object element " + describe(object));
        return;
    }
    std::vector<std::string> known = kObjectAttributes;
    known.insert(known.end(), own->second.begin(), own->second.end());
    std::vector<std::string> needs;
    if (auto required = kRequiredAttributes.find(kind); required != kRequiredAttributes.end())
        needs = required->second;

    if (kind == "SimpleObject") {
        const char* type = object->Attribute("type");
        auto simple = kSimpleKinds.find(type ? type : "");
        if (simple == kSimpleKinds.end()) {
            add(describe(object) + ": unknown \"type\" \"" + std::string(type ? type : "") + "\"");
            return;
        }
        known.insert(known.end(), simple->second.reads.begin(), simple->second.reads.end());
        needs = simple->second.needs;
        if (std::string(type) == "Sprite" && object->Attribute("file"))
            checkDataFile("sprites/" + std::string(object->Attribute("file")), describe(object));
        if (std::string(type) == "LayerSwitch" && object->Attribute("targetLayer")
            && std::find(layerIds.begin(), layerIds.end(), object->Attribute("targetLayer")) == layerIds.end())
            add(describe(object) + ": no layer has the id \"" + object->Attribute("targetLayer") + "\"");
    }
    if (kind == "CheckpointObject" && object->Attribute("type") && std::string(object->Attribute("type")) != "Finish")
        add(describe(object) + ": only the \"type\" \"Finish\" does anything");
    if (kind == "DummyObject")
        for (const char* id : {"3", "4"})
            if (std::find(layerIds.begin(), layerIds.end(), id) == layerIds.end())
                add(describe(object) + ": its keys 1 and 2 need the layers \"3\" and \"4\"; there is no layer \""
                    + id + "\"");
    for (const std::string& name : needs)
        if (!object->Attribute(name.c_str()))
            add(describe(object) + " has no \"" + name + "\"");
    checkAttributes(object, known, describe(object));
}

void LevelChecker::checkAttributes(const TiXmlElement* element, const std::vector<std::string>& known,
                                   const std::string& where)
{
    for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next())
        if (std::find(known.begin(), known.end(), attribute->Name()) == known.end())
            add(where + ": unknown attribute \"" + attribute->Name() + "\"");
}

void LevelChecker::checkDataFile(const std::string& name, const std::string& where)
{
    if (engine.findFile(name).empty())
        add(where + ": the file \"" + name + "\" is missing");
}

void LevelChecker::checkMode(GameMode mode)
{
    LoadedLevel loaded = loadLevel(engine, current, mode);
    for (const std::string& message : loaded.messages)
        add("the engine reports: " + message, mode);
    if (!loaded.level) {
        add("does not load", mode);
        return;
    }
    Level& level = *loaded.level;
    checkModeObjects(level, mode);
    checkTiles(level);
    checkPlacement(level);
    checkResting(level, mode);
}

void LevelChecker::checkModeObjects(Level& level, GameMode mode)
{
    const bool twoPlayers = mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
    if (!level.getPlayer(0))
        add("needs a PlayerObject \"player1\"", mode);
    if (twoPlayers && !level.getPlayer(1))
        add("needs a PlayerObject \"player2\" with \"playerNo\" 1", mode);
    if (PlayerObject* first = level.getPlayer(0); first && first->getPlayerNo() != 0)
        add("\"player1\" has \"playerNo\" " + std::to_string(first->getPlayerNo()) + "; it would use player 2's keys",
            mode);
    if (PlayerObject* second = level.getPlayer(1); second && second->getPlayerNo() != 1)
        add("\"player2\" has \"playerNo\" " + std::to_string(second->getPlayerNo()), mode);

    if (mode == GM_TIME_1P || mode == GM_TIME_2P) {
        auto* finish = dynamic_cast<CheckpointObject*>(level.findObject("finish"));
        if (!finish || !finish->isFinish())
            add("needs a CheckpointObject \"finish\" of \"type\" \"Finish\"", mode);
    }
    int nuts = 0, zorbellnuts = 0, kingAreas = 0;
    std::set<int> homebases;
    for (Layer* layer : level.getLayers()) {
        for (const auto& entry : layer->getObjects()) {
            Object* object = entry.second;
            if (auto* simple = dynamic_cast<SimpleObject*>(object); simple && simple->getType() == "Nut")
                ++nuts;
            if (dynamic_cast<ZorbellnutObject*>(object))
                ++zorbellnuts;
            if (auto* base = dynamic_cast<HomebaseObject*>(object))
                homebases.insert(base->getPlayerNo());
            if (dynamic_cast<KingAreaObject*>(object))
                ++kingAreas;
        }
    }
    if (mode == GM_STORY && nuts == 0)
        add("has no SimpleObject of \"type\" \"Nut\"; nothing can be scored", mode);
    if (mode == GM_CTZ) {
        if (zorbellnuts == 0)
            add("needs a ZorbellnutObject", mode);
        for (int player : {0, 1})
            if (!homebases.count(player))
                add("needs a HomebaseObject with \"playerNo\" " + std::to_string(player), mode);
    }
    if (mode == GM_KOH && kingAreas == 0)
        add("needs a KingAreaObject", mode);
}

void LevelChecker::checkTiles(Level& level)
{
    const Vec2i size = level.getSize();
    for (Layer* layer : level.getLayers()) {
        auto* map = dynamic_cast<TileMapLayer*>(layer);
        if (!map || !map->isPhysicsEnabled())
            continue;
        const std::string where = "TileMapLayer \"" + map->getId() + "\"";
        int shapeless = 0;
        std::string first;
        for (int y = 0; y < map->getHeight(); ++y) {
            for (int x = 0; x < map->getWidth(); ++x) {
                unsigned number = map->getTile(x, y);
                if (number != 0 && !hasShapes(map->getTileSet(), number) && shapeless++ == 0)
                    first = "tile " + std::to_string(number) + " at column " + std::to_string(x) + ", row "
                            + std::to_string(y);
            }
        }
        if (shapeless)
            add(where + " has physics on but " + std::to_string(shapeless)
                + " cell(s) hold tiles without shapes, the first " + first
                + " (decoration belongs in a layer without physics)");

        // The outermost ring of cells of the level keeps every vehicle inside.
        int open = 0;
        std::string firstOpen;
        auto probe = [&](int x, int y) {
            if (!hasShapes(map->getTileSet(), map->getTile(x, y)) && open++ == 0)
                firstOpen = "column " + std::to_string(x) + ", row " + std::to_string(y);
        };
        for (int x = 0; x < size.x; ++x) {
            probe(x, 0);
            probe(x, size.y - 1);
        }
        for (int y = 1; y + 1 < size.y; ++y) {
            probe(0, y);
            probe(size.x - 1, y);
        }
        if (open)
            add(where + ": the level's border is open in " + std::to_string(open) + " cell(s), the first at "
                + firstOpen + "; vehicles could leave the level");
    }
}

void LevelChecker::checkPlacement(Level& level)
{
    const Vec2i size = level.getSize();
    for (Layer* layer : level.getLayers()) {
        for (const auto& entry : layer->getObjects()) {
            Object& object = *entry.second;
            Vec2f p = object.getPosition();
            if (p.x < 0.0f || p.y < 0.0f || p.x > float(size.x) || p.y > float(size.y))
                add("object \"" + entry.first + "\" at " + format(p) + " lies outside the level (0, 0)-("
                    + std::to_string(size.x) + ", " + std::to_string(size.y) + ")");
            else if (stuckInGround(level, object))
                add("object \"" + entry.first + "\" at " + format(p) + " is stuck in the ground of layer \""
                    + layer->getId() + "\"");
        }
    }
}

void LevelChecker::checkResting(Level& level, GameMode mode)
{
    // One second of the countdown: nobody touches a key.
    for (int i = 0; i < 60; ++i)
        step(engine, level);
    for (int n : {0, 1}) {
        PlayerObject* player = level.getPlayer(n);
        if (!player)
            continue;
        b2Body* chassis = player->getBody(PlayerObject::kChassis);
        float speed = chassis->GetLinearVelocity().Length();
        float angle = std::fabs(std::remainder(chassis->GetAngle(), 2.0f * float(M_PI)));
        if (!wheelsOnGround(*player) || speed > 0.5f || angle > 0.8f) {
            std::ostringstream what;
            what.precision(2);
            what << "\"" << player->getId() << "\" is not resting on the ground after one second: at "
                 << format(player->getPosition()) << ", speed " << speed << ", tilted " << angle << " rad"
                 << (wheelsOnGround(*player) ? "" : ", a wheel in the air");
            add(what.str(), mode);
        }
    }
    const Vec2i size = level.getSize();
    for (Layer* layer : level.getLayers())
        for (const auto& entry : layer->getObjects()) {
            Vec2f p = entry.second->getPosition();
            if (p.x < 0.0f || p.y < 0.0f || p.x > float(size.x) || p.y > float(size.y))
                add("object \"" + entry.first + "\" has left the level after one second, now at " + format(p),
                    mode);
        }
}
