// levels/levels.txt as the main menu reads it when it is entered, then the
// menu's level item shown for every level of the list.
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "states/MainMenuState.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    // The scratch directory comes first, so this list hides the shipped one
    // while the level files it names still come from "data".
    writeScratch("levels/levels.txt", data, size);
    static std::unique_ptr<MainMenuState> menu(new MainMenuState(&engine));
    menu->enter(ParameterMap());
    for (int i = 0; i < menu->getLevelCount(); ++i) {
        if (menu->getLevelNames().size() != size_t(menu->getLevelCount()))
            fuzzFailure("level names and files differ in number");
        menu->itemText(0);
    }
    menu->render();
    menu->leave();
    return 0;
}
