#pragma once

#include "engine/Enums.h"
#include "engine/Gamepads.h"
#include "engine/State.h"
#include "resources/Font.h"
#include "resources/Handle.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/Texture.h"

#include <array>
#include <string>
#include <vector>

/// The first screen and the bottom of the stack: the neon sign and eight items
/// that choose level, mode, target score and both keyboard layouts, and open
/// the game, the highscores, the credits or (F5) the physics sandbox.
/// Popping it ends the program.
class MainMenuState : public State {
public:
    static constexpr int kItemCount = 8;
    static constexpr int kMinPoints = 1;
    static constexpr int kMaxPoints = 200;

    explicit MainMenuState(Engine* engine);

    /// Loads the sign and rereads "levels/levels.txt"; the first time, takes the choices from the
    /// engine's settings (a level no longer listed gives the first), later the choices made so far stay.
    void enter(const ParameterMap& params) override;
    /// Hands the choices to the engine's settings and saves them.
    void leave() override;
    /// Starts the menu music and the (silent until it flickers) neon hum.
    void activate() override;
    void deactivate() override;
    void update() override;
    /// Draws the picture the last step decided on.
    void render() override;
    /// True when the last step changed the selection, a choice, the typed text, the sign's
    /// light or where an item stands, as far as the screen's pixels can tell.
    bool hasPictureChanged() const override { return pictureChanged; }

    int getSelectedItem() const { return selectedItem; }
    GameMode getGameMode() const { return GameMode(gameMode); }
    int getLevelIndex() const { return levelIndex; }
    int getLevelCount() const { return int(levelFilenames.size()); }
    const std::vector<std::string>& getLevelFilenames() const { return levelFilenames; }
    const std::vector<std::string>& getLevelNames() const { return levelNames; }
    int getPointsNeededToWin() const { return pointsNeededToWin; }
    ControlMode getControlMode1() const { return ControlMode(controlMode1); }
    ControlMode getControlMode2() const { return ControlMode(controlMode2); }
    const std::string& getTypedText() const { return typedText; }
    /// The text item `item` shows, as drawn.
    std::string itemText(int item) const;

private:
    /// Everything `render` draws, as it reaches the screen.
    struct Picture {
        int selectedItem = -1;
        std::array<std::string, kItemCount> items;
        /// How far each item has slid right, in steps of `kIndentSteps` to a unit.
        std::array<int, kItemCount> indents{};
        std::string typedText;
        /// The lit half of the sign, 0 (dark) to 255 (fully lit).
        int signLight = 0;

        bool operator==(const Picture& other) const
        {
            return selectedItem == other.selectedItem && items == other.items && indents == other.indents &&
                   typedText == other.typedText && signLight == other.signLight;
        }
    };

    /// One step of the keys, the choices and the sign's flicker.
    void step();
    Picture currentPicture() const;
    void loadLevelList();
    void restoreChoices();
    /// Hands the choices to the engine's settings and saves them.
    void keepChoices();
    /// `key` was pressed in this step or the first pad's `padControl` hit.
    bool wasPressed(SDLKey key, PadControl padControl) const;
    /// Appends the levels that the list file at `listPath` names and that can be played.
    void readLevelList(const std::string& listPath);
    void readTypedKeys();
    /// Left/Right/Return on the selected item; false when the menu left the screen.
    bool handleSelectedItem();
    /// Return on items 0 to 4; false when the game was pushed.
    bool startGame();
    /// Return on the highscore item; false when the highscores were pushed.
    bool openHighscores();
    void changeScreen(const std::string& name, const ParameterMap& params);
    void flickerNeon();
    ScoreType scoreTypeOfMode() const;

    Handle<Texture> logo;
    Handle<Font> font;
    Handle<Sound> changeSound;
    Handle<Sound> moveSound;
    Handle<Sound> confirmSound;
    Handle<Sound> errorSound;
    Handle<Sound> neonSound;
    Handle<SoundInstance> neonVoice;
    int selectedItem = 0;
    int gameMode = GM_TIME_1P;
    int levelIndex = 0;
    int pointsNeededToWin = 5;
    int controlMode1 = CM_FIVE_KEYS;
    int controlMode2 = CM_FIVE_KEYS;
    std::vector<std::string> levelFilenames;
    std::vector<std::string> levelNames;
    std::vector<std::string> levelGameModes;
    std::string typedText;
    float neonFlicker = 1.0f;
    int signLight = 255;
    int flickerStep = 0;
    float itemHighlight[kItemCount] = {};
    bool choicesRestored = false;
    Picture shown;
    bool pictureChanged = true;
};
