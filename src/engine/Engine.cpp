#include "engine/Engine.h"

#include "engine/Drawing.h"
#include "engine/State.h"
#include "engine/Transition.h"
#include "resources/FontManager.h"
#include "resources/SoundInstance.h"
#include "resources/SoundManager.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"

#include <SDL_image.h>
#include <AL/al.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace {

// Blocks from this size up get a mapping of their own (the C library's first value).
constexpr int kOwnMappingBytes = 128 * 1024;

// Smallest power of two that holds `size`; the size itself if doubling would overflow.
int powerOfTwoAtLeast(int size)
{
    long long p = 1;
    while (p < size) {
        p *= 2;
        if (p >= (1LL << 31))
            return size;
    }
    return int(p);
}

} // namespace

Engine::Engine(int width, int height, float fps, const std::string& caption, const std::string& iconFile,
               bool fullScreen_, Vec2i windowSize_)
    : screenSize(width, height),
      windowSize(windowSize_.x > 0 && windowSize_.y > 0 ? windowSize_ : screenSize),
      mapping(screenSize, screenSize),
      frameTime(1.0f / fps)
{
    // Pictures are decoded, halved for their mip levels and handed to the GL
    // in big blocks that live only while a screen loads. Once one is freed the
    // C library raises the size from which blocks get a mapping of their own
    // and takes the next ones from its heap, which keeps what they leave
    // behind (about 3 MB in the menu); kept at its first value, they go back.
    mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
    // Without a window there is nothing to play in; say why and stop cleanly.
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "zorbel: cannot open the display: %s\n", SDL_GetError());
        std::exit(1);
    }
    SDL_EnableKeyRepeat(500, 30);
    SDL_EnableUNICODE(1);
    if (!caption.empty())
        SDL_WM_SetCaption(caption.c_str(), nullptr);
    if (!iconFile.empty()) {
        if (SDL_Surface* icon = loadIcon(iconFile)) {
            SDL_WM_SetIcon(icon, nullptr);
            SDL_FreeSurface(icon);
        }
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    // Nothing is depth-tested, and without a depth buffer llvmpipe drops the
    // earlier drawing of every 64x64 screen tile that a later unblended quad
    // covers whole: the far layers below solid ground cost (almost) nothing.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    // Asked before the first mode is set, SDL tells the desktop's own size: full screen
    // at that size needs no mode switch.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    desktopSize = info && info->current_w > 0 && info->current_h > 0 ? Vec2i(info->current_w, info->current_h)
                                                                      : screenSize;
    if (!openVideo(fullScreen_, windowSize)) {
        SDL_Quit();
        std::exit(1);
    }

    openAudio();
    std::memset(keys, 0, sizeof keys);

    textureManager = std::make_unique<TextureManager>(&searchPaths, this);
    soundManager = std::make_unique<SoundManager>(&searchPaths, this);
    fontManager = std::make_unique<FontManager>(&searchPaths, this);
}

bool Engine::openVideo(bool wantFullScreen, Vec2i wantWindowSize)
{
    Vec2i size = wantFullScreen ? desktopSize : wantWindowSize;
    Uint32 flags = SDL_OPENGL | (wantFullScreen ? SDL_FULLSCREEN : 0);
    SDL_Surface* surface = SDL_SetVideoMode(size.x, size.y, 32, flags);
    if (!surface) {
        std::fprintf(stderr, "zorbel: cannot open a %dx%d OpenGL %s: %s\n", size.x, size.y,
                     wantFullScreen ? "full screen" : "window", SDL_GetError());
        return false;
    }
    fullScreen = wantFullScreen;
    windowSize = wantWindowSize;
    mapping = ScreenMapping(screenSize, Vec2i(surface->w, surface->h));
    setViewport(0, 0, screenSize.x, screenSize.y);
    return true;
}

bool Engine::setDisplayMode(bool wantFullScreen, Vec2i wantWindowSize)
{
    // SDL 1.2 keeps the GL context across a mode change under X11, so textures and fonts
    // stay; only the screen captures depend on the window's size.
    if (!openVideo(wantFullScreen, wantWindowSize)) {
        openVideo(fullScreen, windowSize);
        return false;
    }
    endTransition();
    redrawNeeded = true;
    return true;
}

SDL_Surface* Engine::loadIcon(const std::string& iconFile)
{
    // The texture loader's checks keep a damaged PNG from hanging SDL_image.
    SDL_Surface* icon = Texture::loadSurface(iconFile);
    if (!icon)
        std::fprintf(stderr, "zorbel: cannot use the window icon \"%s\": %s\n", iconFile.c_str(), IMG_GetError());
    return icon;
}

void Engine::openAudio()
{
    audioDevice = alcOpenDevice(nullptr);
    if (audioDevice) {
        audioContext = alcCreateContext(audioDevice, nullptr);
        if (audioContext && alcMakeContextCurrent(audioContext))
            return;
        if (audioContext)
            alcDestroyContext(audioContext);
        alcCloseDevice(audioDevice);
        audioContext = nullptr;
        audioDevice = nullptr;
    }
    std::fprintf(stderr, "zorbel: no audio device could be opened; the game runs without sound\n");
}

void Engine::endTransition()
{
    transition.reset();
    glDeleteTextures(2, captureTextures);
    captureTextures[0] = captureTextures[1] = 0;
}

void Engine::createCaptureTextures()
{
    PixelRect picture = mapping.getPicture();
    // A GL that takes textures of any size keeps the two captures at the
    // picture's own size: a quarter less memory at 1024x768 than 1024x1024.
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two"))
        captureTextureSize = Vec2i(picture.width, picture.height);
    else
        captureTextureSize = Vec2i(powerOfTwoAtLeast(picture.width), powerOfTwoAtLeast(picture.height));
    glGenTextures(2, captureTextures);
    for (GLuint texture : captureTextures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, captureTextureSize.x, captureTextureSize.y, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
}

Engine::~Engine()
{
    for (auto& entry : states)
        delete entry.second;
    states.clear();
    stateStack.clear();

    // Voices and sounds need the audio context and textures the GL context, so
    // everything that holds them goes before either is closed.
    if (musicInstance)
        musicInstance->stop();
    musicInstance.reset();
    music.reset();
    previousMusic.reset();
    fontManager.reset();
    textureManager.reset();
    soundManager.reset();

    if (audioContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(audioContext);
    }
    if (audioDevice)
        alcCloseDevice(audioDevice);
    endTransition();
    pads.close();
    SDL_Quit();
}

void Engine::setClock(Clock* c)
{
    clock = c ? c : &sdlClock;
}

void Engine::run()
{
    uint32_t last = clock->ticks();
    float accumulator = 0.0f;
    // A step has run since the last frame and left the window's picture outdated.
    bool needRender = false;
    bool needSwap = false;

    while (!quitRequested) {
        uint32_t now = clock->ticks();
        accumulator += float(uint32_t(now - last)) * 0.001f;
        last = now;
        // A long stall is not caught up beyond four steps; the rest is dropped.
        if (accumulator > 4.0f * frameTime)
            accumulator = 4.0f * frameTime;

        // The frame drawn here shows the state of the previous pass's steps.
        if (active && needRender) {
            renderCurrentState();
            needRender = false;
            redrawNeeded = false;
            needSwap = true;
        }

        while (accumulator >= frameTime) {
            tick();
            if (quitRequested)
                break;
            needRender = needRender || redrawNeeded;
            accumulator -= frameTime;
        }

        if (needSwap) {
            if (transition)
                presentTransition();
            SDL_GL_SwapBuffers();
            ++swapCount;
            needSwap = false;
        }

        if (stateStack.empty() || !stateStack.back())
            quitRequested = true;

        // With a picture to draw the next pass draws it at once; with none the
        // loop sleeps until the next step is due.
        if (frameTime - accumulator >= 0.001f)
            clock->delay(needRender ? 1 : uint32_t((frameTime - accumulator) * 1000.0f));
        if (!active)
            clock->delay(250);
    }

    while (!stateStack.empty() && stateStack.back())
        popState();
}

void Engine::tick()
{
    for (uint8_t& k : keys)
        k &= KEY_DOWN;
    typedKeys.clear();
    pads.beginStep();

    ++tickCount;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (eventObserver)
            eventObserver(event);
        if (event.type == SDL_QUIT) {
            quitRequested = true;
            return;
        }
        handleEvent(event);
    }

    if (soundManager)
        soundManager->update();
    if (!active)
        return;
    if (State* current = getCurrentState()) {
        current->update();
        if (current->hasPictureChanged())
            redrawNeeded = true;
    }
    // The effect moves at every step, and its last step leaves the new screen to be drawn bare.
    if (transition) {
        redrawNeeded = true;
        if (!transition->update())
            endTransition();
    }
    time += frameTime;
}

void Engine::handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_ACTIVEEVENT:
        if (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE))
            active = event.active.gain != 0;
        // Nothing was drawn while away, and what the window shows may be gone.
        if (event.active.gain)
            redrawNeeded = true;
        break;
    case SDL_VIDEOEXPOSE:
        redrawNeeded = true;
        break;
    case SDL_KEYDOWN: {
        SDLKey sym = event.key.keysym.sym;
        if (unsigned(sym) < unsigned(kKeyCount)) {
            if (!(keys[sym] & KEY_DOWN))
                keys[sym] |= KEY_HIT;
            keys[sym] |= KEY_DOWN | KEY_PRESSED;
        }
        if (event.key.keysym.unicode != 0)
            typedKeys.push_back(event.key.keysym);
        if (sym == SDLK_PRINT)
            takeScreenshot();
        if (sym == SDLK_F11 && (keys[sym] & KEY_HIT))
            setDisplayMode(!fullScreen, windowSize);
        break;
    }
    case SDL_KEYUP: {
        SDLKey sym = event.key.keysym.sym;
        if (unsigned(sym) < unsigned(kKeyCount)) {
            keys[sym] &= uint8_t(~KEY_DOWN);
            keys[sym] |= KEY_RELEASED;
        }
        break;
    }
    default:
        pads.handleEvent(event);
        break;
    }
}

SDL_keysym Engine::popTypedKey()
{
    SDL_keysym key{};
    if (!typedKeys.empty()) {
        key = typedKeys.front();
        typedKeys.pop_front();
    }
    return key;
}

void Engine::registerState(State* state)
{
    if (!state)
        return;
    auto it = states.find(state->getName());
    if (it != states.end() && it->second != state) {
        std::fprintf(stderr, "zorbel: screen \"%s\" registered twice; the newer one replaces the older\n",
                     state->getName().c_str());
        delete it->second;
    }
    states[state->getName()] = state;
}

State* Engine::findState(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    auto it = states.find(name);
    return it == states.end() ? nullptr : it->second;
}

State* Engine::getCurrentState() const
{
    return stateStack.empty() ? nullptr : stateStack.back();
}

void Engine::pushState(const std::string& name, const ParameterMap& params)
{
    State* next = findState(name);
    if (!next) {
        std::fprintf(stderr, "zorbel: there is no screen called \"%s\"; staying where we are\n", name.c_str());
        return;
    }
    if (State* current = getCurrentState())
        current->deactivate();
    next->enter(params);
    next->activate();
    stateStack.push_back(next);
    redrawNeeded = true;
}

void Engine::popState()
{
    State* top = getCurrentState();
    if (!top)
        return;
    top->deactivate();
    top->leave();
    stateStack.pop_back();
    if (State* below = getCurrentState())
        below->activate();
    redrawNeeded = true;
}

void Engine::renderCurrentState()
{
    State* current = getCurrentState();
    if (!current)
        return;
    mapping.clearBars();
    setViewport(0, 0, screenSize.x, screenSize.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    current->render();
}

void Engine::startTransition(Transition* next)
{
    // The captures hold two pictures of the window's size (6 MB at 1024x768)
    // and live only while an effect runs.
    if (!captureTextures[0])
        createCaptureTextures();
    captureScreen(captureTextures[0]);
    transition.reset(next);
}

void Engine::captureScreen(GLuint texture)
{
    // The picture without the bars, at the window's resolution, at the top of the texture.
    PixelRect picture = mapping.getPicture();
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, captureTextureSize.y - picture.height, picture.x, picture.y,
                        picture.width, picture.height);
}

void Engine::presentTransition()
{
    if (!transition)
        return;
    if (transition->wantsNewScreen())
        captureScreen(captureTextures[1]);
    setViewport(0, 0, screenSize.x, screenSize.y);
    // The effect addresses the captures in their own pixels, y pointing down.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(1.0f / float(captureTextureSize.x), -1.0f / float(captureTextureSize.y), 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    transition->draw(captureTextures[0], transition->wantsNewScreen() ? captureTextures[1] : 0);
}

void Engine::playMusic(const std::string& filename, float gain)
{
    if (filename == musicFilename) {
        if (musicInstance)
            musicInstance->fade(gain, 1.0f, 1.0f, 2.0f, FE_NONE);
        return;
    }
    if (musicInstance && musicInstance->isValid()) {
        musicInstance->fade(0.0f, 1.0f, 1.0f, 2.0f, FE_STOP);
        previousMusic = music;
    }
    music.reset();
    musicInstance.reset();
    if (!filename.empty()) {
        ParameterMap streaming;
        streaming.set<bool>("streaming", true);
        music = soundManager->get(filename, streaming);
        if (music) {
            musicInstance = music->play(true, 0.0f, 1.0f);
            musicInstance->fade(gain, 1.0f, 1.0f, 2.0f, FE_NONE);
        }
    }
    musicFilename = filename;
}

const Handle<SoundInstance>& Engine::getMusicInstance() const
{
    return musicInstance;
}

void Engine::setViewport(int x, int y, int width, int height)
{
    mapping.setViewport(x, y, width, height);
    if (height > 0)
        aspectRatio = float(width) / float(height);
}

void Engine::takeScreenshot()
{
    ::takeScreenshot(mapping, folders.screenshots);
}
