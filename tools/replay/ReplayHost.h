#pragma once

#include "Replay.h"

#include "engine/NonCopyable.h"

#include <string>
#include <vector>

class Engine;
class GameState;

/// Puts `key` into SDL's event queue as the key event it was recorded as; the
/// engine's next step takes it.
void pushKeyEvent(const KeyEvent& key);

/// The game's five screens on a real engine, set up the way the program sets
/// them up, with a highscore file of their own (so no run depends on or
/// changes the player's highscores). A run starts a match as the main menu
/// does and moves it one step at a time with `Engine::tick`, never by the
/// wall clock. Key events of each step are collected as the engine takes
/// them from the queue.
///
/// One host per engine: the engine keeps the screens it registers.
class ReplayHost : NonCopyable {
public:
    explicit ReplayHost(Engine& engine);
    ~ReplayHost();

    /// Starts a match: the random generator back at its start, an empty
    /// highscore file, the menu at the bottom and the game screen on top,
    /// pushed with `settings` as the menu pushes it.
    void begin(const MatchSettings& settings);
    /// Queues `events` as real key events and runs one step.
    void step(const std::vector<KeyEvent>& events = {});
    /// The match after the last step.
    MatchState state() const;
    /// Steps run since `begin`.
    uint32_t ticks() const { return tickCount; }
    /// The key events the engine took from the queue during the last step.
    const std::vector<KeyEvent>& lastEvents() const { return events; }
    /// Ends the run: lets go of every held key and takes every screen off the stack.
    /// Events queued while no run is going stay for the next run's first step.
    void end();

    /// Draws the current screen (and a running screen change) as the main loop does and shows it.
    void render();
    /// Draws, then writes the frame to `directory`/tick<NNNNNN>.png (or .bmp when
    /// ImageMagick is missing); returns the file name, "" on failure.
    std::string screenshot(const std::string& directory);

    Engine& getEngine() const { return engine; }
    GameState* getGame() const { return game; }

private:
    Engine& engine;
    GameState* game = nullptr;
    std::string highscoreDir;
    uint32_t tickCount = 0;
    bool running = false;
    std::vector<KeyEvent> events;
};
