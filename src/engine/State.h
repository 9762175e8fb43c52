#pragma once

#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"

#include <string>

class Engine;

/// One screen of the program. The engine keeps one instance per name and a stack
/// of active screens; only the top one is updated and rendered.
class State : NonCopyable {
public:
    /// `name` is the registry key; the engine is not owned.
    State(const std::string& name, Engine* engine) : name(name), engine(engine) {}
    virtual ~State() = default;

    /// Before the screen goes on the stack; `params` dies right after, so copy what you keep.
    virtual void enter(const ParameterMap& params) { (void)params; }
    /// After the last `deactivate`, before the screen leaves the stack.
    virtual void leave() {}
    /// The screen becomes the current one (after `enter`, and when the screen above is popped).
    virtual void activate() {}
    /// The screen stops being the current one.
    virtual void deactivate() {}
    /// One fixed step of 1/60 s while current and the window is active.
    virtual void update() {}
    /// Draws the screen; projection and model-view are identity on entry. Must not change game state.
    virtual void render() {}
    /// True when the last `update` changed what `render` would draw; while it says no, the
    /// main loop draws nothing and the window keeps its picture. The default: every step.
    virtual bool hasPictureChanged() const { return true; }

    const std::string& getName() const { return name; }
    Engine* getEngine() const { return engine; }

protected:
    std::string name;
    Engine* engine;
};
