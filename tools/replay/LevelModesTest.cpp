#include "Replay.h"
#include "ReplayHost.h"
#include "TestHost.h"

#include "engine/Engine.h"
#include "objects/CheckpointObject.h"
#include "objects/HomebaseObject.h"
#include "objects/KingAreaObject.h"
#include "objects/PlayerObject.h"
#include "objects/ZorbellnutObject.h"
#include "states/GameState.h"
#include "states/MainMenuState.h"
#include "support/TestEngine.h"
#include "world/Layer.h"
#include "world/Level.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <set>
#include <sstream>

// Every level of the menu's list loads in each mode it lists, with what that
// mode plays with, and the menu refuses every mode it does not list.

namespace {

const GameMode kModes[] = {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH};

// The modes a level names in "supportedGameModes", as whole words.
std::set<GameMode> listedModes(const std::string& level)
{
    TiXmlDocument document;
    EXPECT_TRUE(document.LoadFile("data/levels/" + level)) << level;
    const TiXmlElement* root = document.RootElement();
    std::set<GameMode> modes;
    const char* text = root ? root->Attribute("supportedGameModes") : nullptr;
    std::istringstream words(text ? text : "");
    std::string word;
    GameMode mode = GM_STORY;
    while (words >> word) {
        EXPECT_TRUE(parseGameMode(word, mode)) << level << " lists \"" << word << "\"";
        modes.insert(mode);
    }
    return modes;
}

// What the running level holds, after its mode's objects have cleared themselves away.
struct Inventory {
    int players[2] = {};
    int finishLines = 0;
    int nuts = 0;
    int bases[2] = {};
    int kingAreas = 0;
};

Inventory inventory(const Level& level)
{
    Inventory found;
    for (const Layer* layer : level.getLayers()) {
        for (const auto& entry : layer->getObjects()) {
            const Object* object = entry.second;
            if (!object->isActive())
                continue;
            if (auto* player = dynamic_cast<const PlayerObject*>(object))
                ++found.players[player->getPlayerNo() == 1];
            if (auto* checkpoint = dynamic_cast<const CheckpointObject*>(object))
                found.finishLines += checkpoint->isFinish() && checkpoint->getId() == "finish";
            if (dynamic_cast<const ZorbellnutObject*>(object))
                ++found.nuts;
            if (auto* base = dynamic_cast<const HomebaseObject*>(object))
                ++found.bases[base->getPlayerNo() == 1];
            if (dynamic_cast<const KingAreaObject*>(object))
                ++found.kingAreas;
        }
    }
    return found;
}

class LevelModes : public ::testing::Test {
protected:
    void SetUp() override
    {
        host().end();
        engine.pushState("MainMenu", ParameterMap());
        menu = dynamic_cast<MainMenuState*>(engine.getCurrentState());
        ASSERT_NE(menu, nullptr);
    }

    void TearDown() override
    {
        while (engine.getCurrentState())
            engine.popState();
        engine.tick();
    }

    void tap(SDLKey key)
    {
        pushKey(key, true);
        pushKey(key, false);
        engine.tick();
    }

    // Left/Right on the selected item until `reached` holds; false if it never does.
    template <typename Reached>
    bool turnUntil(Reached reached)
    {
        for (int i = 0; i < 10 && !reached(); ++i)
            tap(SDLK_RIGHT);
        return reached();
    }

    Engine& engine = testEngine();
    MainMenuState* menu = nullptr;
};

TEST_F(LevelModes, EveryListedModeLoadsWithTheObjectsItPlaysWith)
{
    std::vector<std::string> levels = menu->getLevelFilenames();
    ASSERT_EQ(levels.size(), 7u);
    std::set<GameMode> covered;
    for (const std::string& level : levels) {
        for (GameMode mode : listedModes(level)) {
            SCOPED_TRACE(level + " in " + gameModeName(mode));
            covered.insert(mode);
            MatchSettings settings;
            settings.level = level;
            settings.mode = mode;
            host().begin(settings);
            host().step();
            GameState* game = host().getGame();
            ASSERT_EQ(engine.getCurrentState(), game) << "the game screen did not give up on the level";
            ASSERT_NE(game->getLevel(), nullptr);
            Inventory found = inventory(*game->getLevel());
            bool twoPlayers = mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
            bool timeTrial = mode == GM_TIME_1P || mode == GM_TIME_2P;
            EXPECT_EQ(found.players[0], 1);
            EXPECT_EQ(found.players[1], twoPlayers ? 1 : 0);
            EXPECT_EQ(found.finishLines, timeTrial ? 1 : 0);
            EXPECT_EQ(found.nuts, mode == GM_CTZ ? 1 : 0);
            EXPECT_EQ(found.bases[0], mode == GM_CTZ ? 1 : 0);
            EXPECT_EQ(found.bases[1], mode == GM_CTZ ? 1 : 0);
            EXPECT_EQ(found.kingAreas, mode == GM_KOH ? 1 : 0);
            EXPECT_EQ(game->getPlayer2() != nullptr, twoPlayers);
            host().end();
        }
    }
    EXPECT_EQ(covered.size(), 5u) << "every mode has a level";
}

TEST_F(LevelModes, TheMenuStartsOnlyTheModesALevelLists)
{
    std::vector<std::string> levels = menu->getLevelFilenames();
    for (int index = 0; index < int(levels.size()); ++index) {
        std::set<GameMode> listed = listedModes(levels[size_t(index)]);
        for (GameMode mode : kModes) {
            SCOPED_TRACE(levels[size_t(index)] + " in " + gameModeName(mode));
            while (menu->getSelectedItem() != 0)
                tap(SDLK_UP);
            ASSERT_TRUE(turnUntil([&] { return menu->getLevelIndex() == index; }));
            tap(SDLK_DOWN);
            ASSERT_TRUE(turnUntil([&] { return menu->getGameMode() == mode; }));
            tap(SDLK_RETURN);
            bool started = engine.getCurrentState() != menu;
            EXPECT_EQ(started, listed.count(mode) == 1);
            if (!started)
                continue;
            EXPECT_EQ(engine.getCurrentState()->getName(), "Game");
            tap(SDLK_ESCAPE);
            ASSERT_EQ(engine.getCurrentState(), menu);
        }
    }
}

} // namespace
