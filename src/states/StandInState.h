#pragma once

#include "engine/State.h"
#include "resources/Font.h"
#include "resources/Handle.h"

/// A plain screen that shows its name until the real screen of that name is built.
/// The one at the bottom of the stack ends the program on Escape; the others go back.
class StandInState : public State {
public:
    StandInState(const std::string& name, Engine* engine);

    void update() override;
    void render() override;

private:
    Handle<Font> font;
};
