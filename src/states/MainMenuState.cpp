#include "states/MainMenuState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/Random.h"
#include "engine/SafeFile.h"
#include "resources/FontManager.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "states/HighscoreTable.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace {

struct ModeInfo {
    const char* name;
    const char* id;
    ScoreType scoreType;
};

// Indexed by GameMode.
const ModeInfo kModes[] = {
    {"Story", "GM_STORY", ST_POINTS},
    {"Zeit, 1 Spieler", "GM_TIME_1P", ST_TIME},
    {"Zeit, 2 Spieler", "GM_TIME_2P", ST_TIME},
    {"Capture the ZORBELlnut", "GM_CTZ", ST_NONE},
    {"King of the Hill", "GM_KOH", ST_NONE},
};
constexpr int kModeCount = int(sizeof kModes / sizeof kModes[0]);

// Indexed by ControlMode.
const char* const kControlNames[] = {"5 Tasten", "4 Tasten"};

// Items 5 and 7 sit a little apart from their neighbours, so the list reads in groups.
const float kItemY[MainMenuState::kItemCount] = {5.5f, 7.5f, 9.5f, 11.5f, 13.5f, 16.5f, 18.5f, 21.5f};

enum Item { kLevel, kMode, kPoints, kControls, kStart, kHighscore, kCredits, kQuit };

const RGBA kSelectedColour(1.0f, 1.0f, 1.0f, 1.0f);
const RGBA kItemColour(0.15f, 0.65f, 0.82f, 1.0f);
const RGBA kTypedColour(1.0f, 0.0f, 1.0f, 1.0f);

// Typed text is only shown, in the corner above the first item and left of
// the sign: four lines of about 32 letters fit there.
constexpr int kTypedLines = 4;
constexpr int kTypedLineLength = 32;

// Latin-1 letters and signs the font can draw; control characters and
// characters beyond Latin-1 have no byte that would show them.
bool isShownCharacter(Uint16 unicode)
{
    return (unicode >= 0x20 && unicode < 0x7F) || (unicode >= 0xA0 && unicode <= 0xFF);
}

// The sign keeps the 395 x 653 pixel shape of its half of the picture at 12 units wide.
constexpr float kLogoLeft = 19.5f;
constexpr float kLogoRight = 31.5f;
constexpr float kLogoTop = 0.5f;
constexpr float kLogoBottom = 20.337975f;
constexpr float kSignWidth = 395.0f;
constexpr float kSignHeight = 653.0f;
constexpr float kLitSignLeft = 512.0f;

// An item's slide is kept to 1/256 of a pixel of the 1024 x 768 picture (32 to
// a unit), finer than the rasteriser places a letter.
constexpr float kIndentSteps = 32.0f * 256.0f;
// The sign's steady shimmer is shown at every third step, 20 times a second,
// which still reads as a buzz and leaves two frames in three undrawn. A
// failure and its burning back in move the light by more than the shimmer
// ever does at once and are shown at every step.
constexpr int kShimmerSteps = 3;
constexpr int kFailingLight = 48;

// Added onto the black screen, so only where the sign glows costs anything.
void drawSign(const Texture& logo, float textureLeft)
{
    logo.drawQuad(Vec2f(textureLeft, 0.0f), Vec2f(textureLeft + kSignWidth, kSignHeight), Vec2f(kLogoLeft, kLogoTop),
                  Vec2f(kLogoRight, kLogoBottom), Texture::QuadBlend::Added);
}

} // namespace

MainMenuState::MainMenuState(Engine* engine) : State("MainMenu", engine)
{
    font = engine->getFontManager()->get("fonts/arial.fnt");
    SoundManager* sounds = engine->getSoundManager();
    changeSound = sounds->get("sounds/gh.ogg");
    moveSound = sounds->get("sounds/ghear.ogg");
    confirmSound = sounds->get("sounds/gha.ogg");
    errorSound = sounds->get("sounds/error.ogg");
    neonSound = sounds->get("sounds/neon.ogg");
}

void MainMenuState::enter(const ParameterMap&)
{
    loadLevelList();
    // Later visits keep what was chosen meanwhile, as the menu always did.
    if (!choicesRestored)
        restoreChoices();
    choicesRestored = true;
}

void MainMenuState::leave()
{
    keepChoices();
}

void MainMenuState::restoreChoices()
{
    const Settings& settings = engine->getSettings();
    auto level = std::find(levelFilenames.begin(), levelFilenames.end(), settings.getText("level"));
    levelIndex = level == levelFilenames.end() ? 0 : int(level - levelFilenames.begin());
    gameMode = settings.getInt("gameMode");
    pointsNeededToWin = settings.getInt("pointsNeededToWin");
    controlMode1 = settings.getInt("controlMode1");
    controlMode2 = settings.getInt("controlMode2");
}

void MainMenuState::keepChoices()
{
    Settings& settings = engine->getSettings();
    if (!levelFilenames.empty())
        settings.set("level", levelFilenames[levelIndex]);
    settings.set("gameMode", gameMode);
    settings.set("pointsNeededToWin", pointsNeededToWin);
    settings.set("controlMode1", controlMode1);
    settings.set("controlMode2", controlMode2);
    settings.save();
}

bool MainMenuState::wasPressed(SDLKey key, PadControl padControl) const
{
    return engine->wasKeyPressed(key) || engine->getPads().wasHit(0, padControl);
}

void MainMenuState::activate()
{
    // The sign is never drawn much smaller than its pixels, so plain bilinear
    // filtering looks the same as mipmaps and costs half the texture reads
    // under a software renderer.
    ParameterMap noMipMaps;
    noMipMaps.set<bool>("mipMapping", false);
    noMipMaps.set<bool>("findRegions", true);
    logo = engine->getTextureManager()->get("sprites/logo.png", noMipMaps);
    engine->playMusic("sounds/mainmenu.ogg", 0.6f);
    neonVoice = neonSound->play(true, 0.0f, 1.0f);
    shown = currentPicture();
}

void MainMenuState::deactivate()
{
    if (neonVoice)
        neonVoice->stop();
    neonVoice.reset();
    // Let go of the sign's 4 MB while another screen runs: a match frees what
    // no screen holds before its level loads.
    logo.reset();
}

void MainMenuState::loadLevelList()
{
    levelFilenames.clear();
    levelNames.clear();
    levelGameModes.clear();

    // Players edit the list and share levels: say what is skipped and why.
    std::string shippedList = engine->findFile("levels/levels.txt");
    if (shippedList.empty())
        std::fprintf(stderr, "zorbel: levels/levels.txt: not found; the menu has no levels to offer\n");
    readLevelList(shippedList);
    // The levels a player adds come after the shipped ones, from a list of their own.
    const GameFolders& folders = engine->getFolders();
    if (!folders.player.empty() && folders.player != folders.data) {
        SearchPathList own;
        addSearchPath(own, folders.player);
        std::string ownList = findFile(own, "levels/levels.txt");
        if (!ownList.empty() && ownList != shippedList)
            readLevelList(ownList);
    }
    if (!shippedList.empty() && levelFilenames.empty())
        std::fprintf(stderr, "zorbel: %s: lists no level that can be played; the menu has no levels to offer\n",
                     shippedList.c_str());
    // The chosen level survives a visit elsewhere, unless the list has become shorter meanwhile.
    if (levelIndex >= getLevelCount())
        levelIndex = 0;
}

void MainMenuState::readLevelList(const std::string& listPath)
{
    std::string listed = listPath.substr(0, listPath.rfind('/') + 1);
    std::ifstream list(listPath.c_str());
    std::string word;
    while (list >> word) {
        std::string path = engine->findFile("levels/" + word);
        if (path.empty()) {
            std::fprintf(stderr, "zorbel: %s: level \"%s\" not found; skipped\n", listPath.c_str(), word.c_str());
            continue;
        }
        // The game loads a level by its file name, so of two files with one name only the first can be played.
        if (path != listed + word && pathExists(listed + word)) {
            std::fprintf(stderr, "zorbel: %s: level \"%s\" has the file name of %s, which comes first; skipped, give it another name\n",
                         listPath.c_str(), word.c_str(), path.c_str());
            continue;
        }
        TiXmlDocument document(path);
        if (!document.LoadFile()) {
            std::fprintf(stderr, "zorbel: %s: unreadable (%s, line %d); skipped\n", path.c_str(),
                         document.ErrorDesc(), document.ErrorRow());
            continue;
        }
        const TiXmlElement* root = document.RootElement();
        if (!root || root->ValueStr() != "Level") {
            std::fprintf(stderr, "zorbel: %s: no \"Level\" element; skipped\n", path.c_str());
            continue;
        }
        const char* name = root->Attribute("name");
        const char* modes = root->Attribute("supportedGameModes");
        levelFilenames.push_back(word);
        levelNames.push_back(name ? name : word);
        levelGameModes.push_back(modes ? modes : "");
    }
}

ScoreType MainMenuState::scoreTypeOfMode() const
{
    return kModes[gameMode].scoreType;
}

std::string MainMenuState::itemText(int item) const
{
    switch (item) {
    case kLevel:
        return "Level:   " + (levelNames.empty() ? std::string() : levelNames[levelIndex]);
    case kMode:
        return std::string("Spielmodus:   ") + kModes[gameMode].name;
    case kPoints:
        return "Zielpunktzahl:   " + std::to_string(pointsNeededToWin);
    case kControls:
        return std::string("Spielersteuerung 1 / 2:   ") + kControlNames[controlMode1] + " / " +
               kControlNames[controlMode2];
    case kStart:
        return "Spiel starten";
    case kHighscore:
        return "Highscore";
    case kCredits:
        return "Credits";
    case kQuit:
        return "Beenden";
    default:
        return std::string();
    }
}

void MainMenuState::readTypedKeys()
{
    while (engine->hasTypedKeys()) {
        SDL_keysym key = engine->popTypedKey();
        if (key.sym == SDLK_BACKSPACE) {
            if (!typedText.empty())
                typedText.pop_back();
        } else if (key.sym == SDLK_RETURN) {
            if (std::count(typedText.begin(), typedText.end(), '\n') + 1 < kTypedLines)
                typedText += '\n';
        } else if (isShownCharacter(key.unicode)) {
            const size_t lineStart = typedText.rfind('\n') + 1;
            if (typedText.size() - lineStart < size_t(kTypedLineLength))
                typedText += char(key.unicode);
        }
    }
}

void MainMenuState::update()
{
    step();
    Picture next = currentPicture();
    pictureChanged = !(next == shown);
    shown = std::move(next);
}

MainMenuState::Picture MainMenuState::currentPicture() const
{
    Picture picture;
    picture.selectedItem = selectedItem;
    for (int i = 0; i < kItemCount; ++i) {
        picture.items[i] = itemText(i);
        picture.indents[i] = int(std::lround(itemHighlight[i] * kIndentSteps));
    }
    picture.typedText = typedText;
    picture.signLight = signLight;
    return picture;
}

void MainMenuState::step()
{
    readTypedKeys();

    if (wasPressed(SDLK_ESCAPE, PAD_BUTTON_2)) {
        // The menu is the last screen: popping it ends the program, with no effect to show.
        engine->popState();
        return;
    }
    if (engine->wasKeyPressed(SDLK_F5))
        changeScreen("Physics", ParameterMap());

    if (wasPressed(SDLK_DOWN, PAD_DOWN)) {
        selectedItem = (selectedItem + 1) % kItemCount;
        moveSound->play();
    }
    if (wasPressed(SDLK_UP, PAD_UP)) {
        selectedItem = (selectedItem + kItemCount - 1) % kItemCount;
        moveSound->play();
    }
    for (int i = 0; i < kItemCount; ++i) {
        float target = i == selectedItem ? 0.75f : 0.0f;
        itemHighlight[i] = itemHighlight[i] * 0.8f + target * 0.2f;
    }

    if (!handleSelectedItem())
        return;
    flickerNeon();
}

bool MainMenuState::handleSelectedItem()
{
    bool right = wasPressed(SDLK_RIGHT, PAD_RIGHT);
    bool left = wasPressed(SDLK_LEFT, PAD_LEFT);
    bool confirm = wasPressed(SDLK_RETURN, PAD_BUTTON_1);
    int levelCount = getLevelCount();

    switch (selectedItem) {
    case kLevel:
        // Without levels there is nothing to step through.
        if (levelCount > 0) {
            if (right) {
                levelIndex = (levelIndex + 1) % levelCount;
                changeSound->play();
            }
            if (left) {
                levelIndex = (levelIndex + levelCount - 1) % levelCount;
                changeSound->play();
            }
        }
        break;
    case kMode:
        if (right) {
            gameMode = (gameMode + 1) % kModeCount;
            changeSound->play();
        }
        if (left) {
            gameMode = (gameMode + kModeCount - 1) % kModeCount;
            changeSound->play();
        }
        break;
    case kPoints:
        if (right) {
            pointsNeededToWin = std::min(pointsNeededToWin + 1, kMaxPoints);
            changeSound->play();
        }
        if (left) {
            pointsNeededToWin = std::max(pointsNeededToWin - 1, kMinPoints);
            changeSound->play();
        }
        break;
    case kControls: {
        // Both layouts form a two-digit binary counter with player 1 as the low digit.
        int counter = controlMode1 + 2 * controlMode2;
        if (right) {
            counter = (counter + 1) % 4;
            changeSound->play();
        }
        if (left) {
            counter = (counter + 3) % 4;
            changeSound->play();
        }
        controlMode1 = counter % 2;
        controlMode2 = counter / 2;
        break;
    }
    case kHighscore:
        return !confirm || openHighscores();
    case kCredits:
        if (confirm) {
            confirmSound->play();
            changeScreen("Credits", ParameterMap());
            return false;
        }
        return true;
    case kQuit:
        if (confirm) {
            engine->popState();
            return false;
        }
        return true;
    default:
        break;
    }
    return !confirm || startGame();
}

bool MainMenuState::startGame()
{
    // A level is only startable in the modes its file lists; an empty list supports none.
    if (levelFilenames.empty() || levelGameModes[levelIndex].find(kModes[gameMode].id) == std::string::npos) {
        errorSound->play();
        return true;
    }
    confirmSound->play();
    ParameterMap params;
    params.set<GameMode>("gameMode", GameMode(gameMode));
    params.set<int>("pointsNeededToWin", pointsNeededToWin);
    params.set<std::string>("levelFilename", levelFilenames[levelIndex]);
    params.set<ControlMode>("controlMode1", ControlMode(controlMode1));
    params.set<ControlMode>("controlMode2", ControlMode(controlMode2));
    keepChoices();
    changeScreen("Game", params);
    return false;
}

bool MainMenuState::openHighscores()
{
    ScoreType scoreType = scoreTypeOfMode();
    bool empty = levelFilenames.empty() || scoreType == ST_NONE ||
                 HighscoreTable(engine).getEntries(levelFilenames[levelIndex], scoreType).empty();
    if (empty) {
        errorSound->play();
        return true;
    }
    confirmSound->play();
    ParameterMap params;
    params.set<ScoreType>("scoreType", scoreType);
    params.set<std::string>("levelFilename", levelFilenames[levelIndex]);
    changeScreen("Highscore", params);
    return false;
}

void MainMenuState::changeScreen(const std::string& name, const ParameterMap& params)
{
    engine->pushState(name, params);
    engine->startTransition(new CubeTransition(engine, 0.75f));
}

void MainMenuState::flickerNeon()
{
    // Now and then the sign fails for a moment and then burns back in.
    int k = int(randomDouble() * 1001.0);
    if (k == 0)
        neonFlicker = randomFloat() * 20.0f - 20.0f;
    neonFlicker = neonFlicker * 0.75f + 0.25f;
    neonFlicker += std::sin(engine->getTime()) * 0.05f + (randomFloat() * 0.2f - 0.1f);
    // The hum swells while the sign fails; OpenAL refuses a negative gain, so a
    // sign burning brighter than normal is simply silent.
    if (neonVoice)
        neonVoice->setGain(std::max(0.0f, (1.0f - neonFlicker) / 1.5f));
    // The GL clamps the colour to 0..1 and keeps it in bytes.
    const int light = int(std::lround(std::clamp(neonFlicker, 0.0f, 1.0f) * 255.0f));
    flickerStep = (flickerStep + 1) % kShimmerSteps;
    if (flickerStep == 0 || std::abs(light - signLight) > kFailingLight)
        signLight = light;
}

void MainMenuState::render()
{
    clearViewport(RGBA(0.0f, 0.0f, 0.0f, 1.0f));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 32.0, 24.0, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (logo) {
        // Black is nothing on the sign, so both halves are simply added on top of each other.
        setBlendMode(GL_ONE, GL_ONE);
        setTexturing(true);
        logo->bind();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        drawSign(*logo, 0.0f);
        const float light = float(shown.signLight) / 255.0f;
        glColor4f(light, light, light, 1.0f);
        drawSign(*logo, kLitSignLeft);
    }

    if (!font)
        return;
    for (int i = 0; i < kItemCount; ++i) {
        const RGBA& colour = i == shown.selectedItem ? kSelectedColour : kItemColour;
        font->draw(Vec2f(1.0f + float(shown.indents[i]) / kIndentSteps, kItemY[i]), 1.0f, colour, shown.items[i]);
    }
    font->draw(Vec2f(1.0f, 1.0f), 1.0f, kTypedColour, shown.typedText);
}
