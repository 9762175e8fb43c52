#include "engine/Transition.h"

#include "engine/Engine.h"

Transition::Transition(Engine* engine_, float duration_)
    : engine(engine_),
      duration(duration_),
      width(engine_->getScreenMapping().getPicture().width),
      height(engine_->getScreenMapping().getPicture().height)
{
}

bool Transition::update()
{
    elapsed += engine->getFrameTime();
    return duration == -1.0f || elapsed < duration;
}
