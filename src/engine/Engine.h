#pragma once

#include "engine/Clock.h"
#include "engine/GameFolders.h"
#include "engine/Gamepads.h"
#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"
#include "engine/ScreenMapping.h"
#include "engine/Settings.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/SearchPath.h"

#include <SDL.h>
#include <GL/gl.h>
#include <AL/alc.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

class State;
class Transition;
class TextureManager;
class SoundManager;
class FontManager;
class Sound;
class SoundInstance;

/// Key state bits, one byte per SDL 1.2 key symbol.
enum KeyBits : uint8_t {
    KEY_DOWN = 1,     ///< held
    KEY_PRESSED = 2,  ///< pressed in this step, auto-repeats included
    KEY_HIT = 4,      ///< first press in this step (no repeat)
    KEY_RELEASED = 8, ///< let go in this step
};

/// The one application object: window and GL context, OpenAL device, key state,
/// screens and their stack, screen-change effect, resource caches and music.
class Engine : NonCopyable {
public:
    static constexpr int kKeyCount = SDLK_LAST; ///< 323 key symbols in SDL 1.2

    /// Opens the game's `width`x`height` logical picture, updated `framesPerSecond` times a
    /// second, full screen at the desktop's own size or, when `fullScreen` is false, in a
    /// window of `windowSize` pixels (the logical size when zero); `iconFile` may be "" or missing.
    Engine(int width, int height, float framesPerSecond, const std::string& caption,
           const std::string& iconFile, bool fullScreen = true, Vec2i windowSize = Vec2i());
    /// Destroys the screens, caches, audio device, effect and window, in that order.
    ~Engine();

    /// The window icon from `iconFile`, or null after one line on stderr saying why it cannot be used.
    static SDL_Surface* loadIcon(const std::string& iconFile);

    /// The main loop: fixed steps, at most four catch-up steps a pass, until quit; then pops every screen.
    void run();
    /// One fixed step: events, sounds, current screen, effect, game time.
    void tick();
    /// Asks the main loop to end after this step.
    void quit() { quitRequested = true; }
    bool isQuitRequested() const { return quitRequested; }
    /// Withdraws a quit request so that `run` can be entered again (the loop ends with one set).
    void clearQuitRequest() { quitRequested = false; }
    /// False while the window has neither input focus nor is shown; the game then stands still.
    bool isActive() const { return active; }

    /// Takes ownership of `state` and files it under its name.
    void registerState(State* state);
    /// The registered screen called `name`; null for "" or an unknown name.
    State* findState(const std::string& name) const;
    /// Top of the stack, or null.
    State* getCurrentState() const;
    /// Covers the current screen with the one called `name`, handing it `params`.
    /// An unknown or empty name is reported on stderr and changes nothing.
    void pushState(const std::string& name, const ParameterMap& params);
    /// Removes the current screen and resumes the one below.
    void popState();
    /// Renders the top screen with identity projection and model-view matrices.
    void renderCurrentState();
    /// Starts `transition` (ownership passes to the engine), replacing a running one.
    void startTransition(Transition* transition);
    /// Draws the running effect over the frame just rendered (the main loop does this before each swap).
    void presentTransition();
    /// The running screen-change effect, or null.
    Transition* getTransition() const { return transition.get(); }
    /// Number of screens on the stack.
    size_t getStackSize() const { return stateStack.size(); }

    /// Cross-fades the background music to `filename` (a "sounds/..." name; "" for none) at `gain`, over 1 s.
    void playMusic(const std::string& filename, float gain);
    /// The voice of the current music (may be empty).
    const Handle<SoundInstance>& getMusicInstance() const;

    /// Key `key` is held.
    bool isKeyDown(SDLKey key) const { return (keyBits(key) & KEY_DOWN) != 0; }
    /// Key `key` went down in this step, auto-repeats included.
    bool wasKeyPressed(SDLKey key) const { return (keyBits(key) & KEY_PRESSED) != 0; }
    /// Key `key` went down in this step for the first time (no repeat).
    bool wasKeyHit(SDLKey key) const { return (keyBits(key) & KEY_HIT) != 0; }
    /// Key `key` was let go in this step.
    bool wasKeyReleased(SDLKey key) const { return (keyBits(key) & KEY_RELEASED) != 0; }
    /// Raw key bits of `key` (0 for symbols out of range).
    uint8_t keyBits(SDLKey key) const { return unsigned(key) < unsigned(kKeyCount) ? keys[key] : 0; }
    /// The players' pads, fed by the joystick events of each step.
    Gamepads& getPads() { return pads; }
    /// The players' pads, read-only.
    const Gamepads& getPads() const { return pads; }
    /// The player's kept choices; no file is read or written until one is opened.
    Settings& getSettings() { return settings; }

    /// Key-downs with a character arrived in this step.
    bool hasTypedKeys() const { return !typedKeys.empty(); }
    /// Removes and returns the oldest typed key; check `hasTypedKeys` first.
    SDL_keysym popTypedKey();

    /// Switches to full screen at the desktop's size or to a window of `windowSize` pixels; the GL
    /// context, and with it every texture, survives. False, keeping the mode, when it cannot be opened.
    bool setDisplayMode(bool fullScreen, Vec2i windowSize);
    /// True while the game fills the screen.
    bool isFullScreen() const { return fullScreen; }

    /// Writes the last rendered frame to the next free screenshot%04d.bmp in the screenshot folder.
    void takeScreenshot();

    /// Game time in seconds (frozen while paused or inactive).
    float getTime() const { return float(time); }
    /// The fixed step in seconds (1/60).
    float getFrameTime() const { return frameTime; }
    /// Width / height of the current viewport.
    float getAspectRatio() const { return aspectRatio; }
    void setAspectRatio(float ratio) { aspectRatio = ratio; }
    /// Draws into the `width`x`height` logical rectangle whose top left is (`x`, `y`)
    /// (y pointing down); the aspect ratio follows the rectangle.
    void setViewport(int x, int y, int width, int height);
    /// Size of the logical picture (1024x768 in the game), whatever the window's size.
    Vec2i getScreenSize() const { return screenSize; }
    /// How the logical picture lies in the window's pixels.
    const ScreenMapping& getScreenMapping() const { return mapping; }

    TextureManager* getTextureManager() const { return textureManager.get(); }
    SoundManager* getSoundManager() const { return soundManager.get(); }
    FontManager* getFontManager() const { return fontManager.get(); }
    SearchPathList* getSearchPaths() { return &searchPaths; }
    /// Adds a data directory ("data" becomes "data/").
    void addSearchPath(const std::string& directory) { ::addSearchPath(searchPaths, directory); }
    /// Resolves a data file name; "" when no data directory holds it.
    std::string findFile(const std::string& name) const { return ::findFile(searchPaths, name); }
    /// Where the data is read and the player's files are written; a source checkout's until `setFolders`.
    const GameFolders& getFolders() const { return folders; }
    /// Writes the player's files where `chosen` says (the caller adds its data directories to the search paths).
    void setFolders(const GameFolders& chosen) { folders = chosen; }
    /// True when an OpenAL device and context are open; without them the game runs silent.
    bool hasAudio() const { return audioContext != nullptr; }

    /// Replaces the time source of the main loop (not owned; null restores the SDL clock).
    void setClock(Clock* clock);
    /// Called with every event a step takes from the queue, before the engine handles it
    /// (input recording); an empty function removes the observer.
    void setEventObserver(std::function<void(const SDL_Event&)> observer) { eventObserver = std::move(observer); }
    /// Number of steps run so far (whether or not the window was active).
    uint64_t getTickCount() const { return tickCount; }
    /// Number of pictures the main loop has swapped onto the screen so far.
    uint64_t getSwapCount() const { return swapCount; }

private:
    bool openVideo(bool fullScreen, Vec2i windowSize);
    void openAudio();
    void createCaptureTextures();
    /// Ends the running screen-change effect, if any, and frees the captures.
    void endTransition();
    void captureScreen(GLuint texture);
    void handleEvent(const SDL_Event& event);

    uint8_t keys[kKeyCount];
    ALCdevice* audioDevice = nullptr;
    ALCcontext* audioContext = nullptr;
    std::deque<State*> stateStack;
    std::map<std::string, State*> states;
    bool quitRequested = false;
    bool active = true;
    Vec2i screenSize;
    Vec2i desktopSize;
    Vec2i windowSize;
    bool fullScreen = true;
    ScreenMapping mapping;
    float aspectRatio = 1.0f;
    float frameTime;
    double time = 0.0;
    SearchPathList searchPaths;
    GameFolders folders;
    std::unique_ptr<TextureManager> textureManager;
    std::unique_ptr<SoundManager> soundManager;
    std::unique_ptr<FontManager> fontManager;
    std::deque<SDL_keysym> typedKeys;
    Gamepads pads;
    Settings settings;
    Handle<Sound> music;
    std::string musicFilename;
    Handle<SoundInstance> musicInstance;
    Handle<Sound> previousMusic;
    GLuint captureTextures[2] = {0, 0};
    Vec2i captureTextureSize;
    std::unique_ptr<Transition> transition;
    SdlClock sdlClock;
    Clock* clock = &sdlClock;
    std::function<void(const SDL_Event&)> eventObserver;
    uint64_t tickCount = 0;
    uint64_t swapCount = 0;
    // The window's picture no longer shows the screen: a step changed it, or X lost it.
    bool redrawNeeded = true;
};
