#include "engine/CommandLine.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/GameFolders.h"
#include "engine/Random.h"
#include "engine/UserPaths.h"
#include "states/CreditsState.h"
#include "states/HighscoreState.h"
#include "states/MainMenuState.h"
#include "states/PhysicsState.h"
#include "states/GameState.h"
#include "world/ObjectFactory.h"

#include <cstdio>

int main(int argc, char** argv)
{
    CommandLine options = parseCommandLine(argc, argv);
    if (options.exitStatus >= 0) {
        std::fputs(options.message.c_str(), options.exitStatus == 0 ? stdout : stderr);
        return options.exitStatus;
    }
    randomReset();
    registerAllObjectTypes();
    GameFolders folders = findGameFolders();
    Engine engine(1024, 768, 60.0f, "Quorvell Zorbel 2010", folders.data + "/sprites/icon.png", options.fullScreen,
                  options.windowSize);
    hideCursor();
    engine.setFolders(folders);
    for (const std::string& directory : folders.searchDirectories())
        engine.addSearchPath(directory);
    // Only the game itself keeps the player's choices and takes the pads: tests and
    // tools leave both alone, so nothing they do reaches the player's settings.
    if (!userConfigDirectory().empty())
        engine.getSettings().open(userConfigDirectory() + "/settings.xml");
    engine.getPads().open();

    engine.registerState(new MainMenuState(&engine));
    engine.registerState(new GameState(&engine));
    engine.registerState(new PhysicsState(&engine));
    engine.registerState(new CreditsState(&engine));
    engine.registerState(new HighscoreState(&engine));

    engine.pushState("MainMenu", ParameterMap());
    engine.run();
    return 0;
}
