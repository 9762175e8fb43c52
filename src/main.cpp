#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/Random.h"
#include "states/StandInState.h"

int main(int, char**)
{
    randomReset();
    Engine engine(1024, 768, 60.0f, "Quorvell Zorbel 2010", "data/sprites/icon.png");
    hideCursor();
    engine.addSearchPath("data");

    for (const char* name : {"MainMenu", "Game", "Physics", "Credits", "Highscore"})
        engine.registerState(new StandInState(name, &engine));

    engine.pushState("MainMenu", ParameterMap());
    engine.run();
    return 0;
}
