#include "states/StandInState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/FontManager.h"

#include <GL/glu.h>

StandInState::StandInState(const std::string& name, Engine* engine) : State(name, engine)
{
    font = engine->getFontManager()->get("fonts/arial.fnt");
}

void StandInState::update()
{
    if (!engine->wasKeyHit(SDLK_ESCAPE))
        return;
    bool last = engine->getStackSize() <= 1;
    engine->popState();
    if (!last)
        engine->startTransition(new CubeTransition(engine, 0.75f));
}

void StandInState::render()
{
    Vec2i size = engine->getScreenSize();
    engine->setViewport(0, 0, size.x, size.y);
    clearViewport(RGBA(0.08f, 0.1f, 0.16f, 1.0f));
    if (!font)
        return;
    glMatrixMode(GL_PROJECTION);
    gluOrtho2D(0, size.x, size.y, 0);
    glMatrixMode(GL_MODELVIEW);
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    font->drawCentered(Vec2f(size.x * 0.5f, size.y * 0.5f), 48.0f, RGBA(1, 1, 1, 1), name);
}
