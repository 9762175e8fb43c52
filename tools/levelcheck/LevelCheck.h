#pragma once

#include "engine/Enums.h"

#include <string>
#include <vector>

class Engine;
class Level;
class TiXmlElement;

/// One fault of a level, with the mode it showed up in ("" when it does not depend on the mode).
struct Finding {
    std::string level;
    std::string mode;
    std::string what;
};

/// Checks level files the way the game will use them: first the file itself
/// (elements, attributes, referenced files, listed modes), then, for every mode
/// the level lists, the level loaded by the real engine: the objects the mode
/// needs, tiles without shapes in physics layers, open borders, objects outside
/// the level or stuck in the ground, and vehicles that do not rest on the ground
/// after one second.
class LevelChecker {
public:
    explicit LevelChecker(Engine& engine);

    /// Checks "levels/" + `levelFilename`; findings are added to `findings()`.
    void checkLevel(const std::string& levelFilename);
    /// Reads "levels/levels.txt"; a missing or empty list is a finding.
    std::vector<std::string> readLevelList();

    const std::vector<Finding>& findings() const { return found; }

private:
    void checkDocument(const TiXmlElement* root);
    void checkLayer(const TiXmlElement* layer, const std::vector<std::string>& layerIds);
    void checkObject(const TiXmlElement* object, const std::vector<std::string>& layerIds);
    void checkAttributes(const TiXmlElement* element, const std::vector<std::string>& known,
                         const std::string& where);
    void checkDataFile(const std::string& name, const std::string& where);
    void checkMode(GameMode mode);
    void checkModeObjects(Level& level, GameMode mode);
    void checkTiles(Level& level);
    void checkPlacement(Level& level);
    void checkResting(Level& level, GameMode mode);
    void add(const std::string& what, GameMode mode);
    void add(const std::string& what);

    Engine& engine;
    std::string current;
    std::vector<Finding> found;
};
