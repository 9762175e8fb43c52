#include "states/GameHud.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "objects/PlayerObject.h"
#include "resources/Font.h"
#include "resources/TextureManager.h"
#include "states/GameState.h"
#include "states/TimeFormat.h"
#include "world/Level.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

const RGBA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const RGBA kLightBlue(0.15f, 0.65f, 0.82f, 1.0f);
const RGBA kRed(1.0f, 0.0f, 0.0f, 1.0f);
const RGBA kYellow(1.0f, 1.0f, 0.0f, 1.0f);

// The strip takes this share of the window width; its picture reaches a little
// further and overlaps the views' left edge.
const float kStripShare = 0.2f;
const float kStripPictureShare = 0.22f;
// Texts keep this distance from the strip's left and right edges, in window heights.
const float kStripMargin = 0.02f;
// Each of the stacked views takes this share of the window height; the rest is the gap.
const float kSplitViewShare = 0.495f;
const float kLowerViewTop = 0.505f;
// The stacked views are half as tall, so they look from closer by this much.
const float kSplitZoomOffset = 4.0f;

// Units of the story texts' grid across the game view; the grid is square.
const float kStoryGridWidth = 32.0f;
const float kStoryRowY = 0.3f;

const char* layoutLabel(int player, ControlMode mode)
{
    if (player == 0)
        return mode == CM_FOUR_KEYS ? "Pfeiltasten" : "Pfeiltasten/R.Strg";
    return mode == CM_FOUR_KEYS ? "W/A/S/D" : "W/A/S/D/Leertaste";
}

int pixels(float share, int size)
{
    return int(share * float(size));
}

void loadOrtho(double right, double bottom)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, right, bottom, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// `height`, or less when `text` would run past `maxWidth`: the clock's digits
// are wider than the strip at their full height, and a cut-off time is useless.
float fittedHeight(const Font& font, float height, const std::string& text, float maxWidth)
{
    float width = font.measure(height, text).x;
    return width > maxWidth ? height * maxWidth / width : height;
}

void colouredVertex(const RGBA& colour, float x, float y)
{
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glVertex2f(x, y);
}

} // namespace

CountdownLook countdownLook(float countdown)
{
    float c = countdown;
    float gone = 1.0f - (c - std::floor(c));
    CountdownLook look;
    if (c >= 3.0f)
        look.colour = RGBA(1.0f, 0.0f, 0.0f);
    else if (c >= 2.0f)
        look.colour = RGBA(1.0f, 0.5f, 0.0f);
    else if (c >= 1.0f)
        look.colour = RGBA(1.0f, 1.0f, 0.0f);
    else
        look.colour = RGBA(0.0f, 1.0f, 0.0f);
    look.colour.a = 1.0f - gone;
    look.text = c < 1.0f ? "LOS!" : std::to_string(int(c));
    look.height = gone;
    return look;
}

HeartOffsets heartOffsets(int life)
{
    // Each heart runs from empty (128) to full (0) in quarters over its third of the life.
    struct Step {
        int fromLife;
        HeartOffsets offsets;
    };
    static const Step kSteps[] = {
        {92, {0, 0, 0}},     {84, {0, 0, 32}},     {76, {0, 0, 64}},     {67, {0, 0, 96}},
        {59, {0, 0, 128}},   {51, {0, 32, 128}},   {42, {0, 64, 128}},   {41, {0, 96, 128}},
        {34, {0, 128, 128}}, {26, {32, 128, 128}}, {17, {64, 128, 128}}, {9, {96, 128, 128}},
    };
    for (const Step& step : kSteps)
        if (life >= step.fromLife)
            return step.offsets;
    return {128, 128, 128};
}

void GameHud::render(const GameState& game)
{
    Vec2i size = engine->getScreenSize();
    engine->setViewport(0, 0, size.x, size.y);
    clearViewport(RGBA(0.0f, 0.0f, 0.0f, 1.0f));
    // An unusable level leaves the screen at its next step; until then it stays black.
    if (!game.getLevel() || !game.getPlayer1())
        return;

    drawViews(game);
    drawStripBackground(game);
    engine->setViewport(0, 0, pixels(kStripShare, size.x), size.y);
    drawHud(game);
    engine->setViewport(0, 0, size.x, size.y);
}

void GameHud::drawViews(const GameState& game)
{
    Vec2i size = engine->getScreenSize();
    Level* level = game.getLevel();
    int left = pixels(kStripShare, size.x);
    int width = pixels(1.0f - kStripShare, size.x);
    auto drawView = [&](int top, int height, int player, PlayerObject* drawLast, float zoomOffset) {
        engine->setViewport(left, top, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        level->cameraPosition = game.getViewCenter(player);
        level->zoom = game.getViewZoom(player) - zoomOffset;
        level->clampCamera();
        level->render(drawLast);
    };

    GameMode mode = game.getGameMode();
    if (mode == GM_STORY || mode == GM_TIME_1P) {
        drawView(0, size.y, 0, nullptr, 0.0f);
        return;
    }
    int height = pixels(kSplitViewShare, size.y);
    drawView(0, height, 0, game.getPlayer1(), kSplitZoomOffset);
    if (game.getPlayer2())
        drawView(pixels(kLowerViewTop, size.y), height, 1, game.getPlayer2(), kSplitZoomOffset);
}

void GameHud::drawStripBackground(const GameState& game)
{
    Vec2i size = engine->getScreenSize();
    engine->setViewport(0, 0, size.x, size.y);
    loadOrtho(1.0, 1.0);
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    game.getHudTexture()->bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(300.0f, 0.0f);
    glVertex2f(kStripPictureShare, 0.0f);
    glTexCoord2f(300.0f, 1024.0f);
    glVertex2f(kStripPictureShare, 1.0f);
    glTexCoord2f(0.0f, 1024.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
}

std::string shownTime(const GameState& game, int player)
{
    float finishTime = game.getFinishTime(player);
    return formatHundredths(toHundredths(finishTime != 0.0f ? finishTime : game.getMatchTime()));
}

std::string shownRecord(const GameState& game)
{
    int64_t record = game.getRecordHundredths();
    return record >= 0 ? formatHundredths(uint32_t(record)) : std::string();
}

void GameHud::drawHud(const GameState& game)
{
    GameMode mode = game.getGameMode();
    if (mode == GM_TIME_1P || mode == GM_TIME_2P)
        drawTimes(game);
    else if (mode == GM_CTZ || mode == GM_KOH)
        drawPoints(game);
    else
        drawStory(game);

    PlayerObject* player1 = game.getPlayer1();
    PlayerObject* player2 = game.getPlayer2();
    if (game.getWinner() == -1 && player1->getLife() == 0 && (!player2 || player2->getLife() == 0))
        drawBanner(game, "GAME OVER", kRed);
}

void GameHud::drawTimes(const GameState& game)
{
    loadOrtho(engine->getAspectRatio(), 1.0);
    Font* label = game.getLabelFont().get();
    Font* number = game.getNumberFont().get();
    const ParameterMap& params = game.getParams();
    float textWidth = engine->getAspectRatio() - 2.0f * kStripMargin;

    auto drawPlayer = [&](int player, float top) {
        float finishTime = game.getFinishTime(player);
        const char* name = player == 0 ? "Spieler 1" : "Spieler 2";
        const char* key = player == 0 ? "controlMode1" : "controlMode2";
        label->draw(Vec2f(kStripMargin, top), 0.05f, kWhite, name);
        label->draw(Vec2f(kStripMargin, top + 0.055f), 0.03f, kLightBlue, layoutLabel(player, params.get<ControlMode>(key)));
        // The time stops and turns red when the player crosses the finish.
        std::string time = shownTime(game, player);
        number->draw(Vec2f(kStripMargin, top + 0.09f), fittedHeight(*number, 0.07f, time, textWidth),
                     finishTime != 0.0f ? kRed : kLightBlue, time);
    };

    drawPlayer(0, 0.13f);
    std::string record = shownRecord(game);
    if (!record.empty()) {
        label->draw(Vec2f(kStripMargin, 0.4575f), 0.035f, kWhite, "Rekordzeit");
        number->draw(Vec2f(kStripMargin, 0.4925f), fittedHeight(*number, 0.05f, record, textWidth), kLightBlue, record);
    }
    if (game.getGameMode() == GM_TIME_2P)
        drawPlayer(1, 0.68f);

    if (game.getCountdown() > 0.0f)
        drawCountdown(game);
    else if (game.getGameMode() == GM_TIME_2P && game.getWinner() != -1)
        drawBanner(game, game.getWinner() == 0 ? "SPIELER 1\nGEWINNT!" : "SPIELER 2\nGEWINNT!", RGBA(0, 1, 0));
}

void GameHud::drawPoints(const GameState& game)
{
    if (game.getCountdown() > 0.0f)
        drawCountdown(game);
    loadOrtho(engine->getAspectRatio(), 1.0);
    Font* label = game.getLabelFont().get();
    Font* number = game.getNumberFont().get();
    const ParameterMap& params = game.getParams();
    std::string target = "/" + std::to_string(game.getPointsNeededToWin());

    auto drawPlayer = [&](int player, PlayerObject* object, float top) {
        const char* name = player == 0 ? "Spieler 1" : "Spieler 2";
        const char* key = player == 0 ? "controlMode1" : "controlMode2";
        label->draw(Vec2f(kStripMargin, top), 0.05f, kWhite, name);
        label->draw(Vec2f(kStripMargin, top + 0.055f), 0.03f, kLightBlue, layoutLabel(player, params.get<ControlMode>(key)));
        Vec2f score = number->draw(Vec2f(kStripMargin, top + 0.09f), 0.1f, kLightBlue, std::to_string(object->getPoints()));
        // The target stands small right after the score, bottoms nearly aligned.
        label->draw(Vec2f(kStripMargin + score.x, top + 0.09f + score.y - 0.035f), 0.035f, kLightBlue, target);
    };
    drawPlayer(0, game.getPlayer1(), 0.13f);
    drawPlayer(1, game.getPlayer2(), 0.68f);

    if (game.getWinner() != -1)
        drawBanner(game, game.getWinner() == 0 ? "SPIELER 1\nGEWINNT!" : "SPIELER 2\nGEWINNT!", RGBA(0, 1, 0));
}

void GameHud::drawStory(const GameState& game)
{
    if (!heartTexture)
        heartTexture = engine->getTextureManager()->get("sprites/heart.png", ParameterMap());
    int life = std::clamp(game.getPlayer1()->getLife(), 0, 100);
    float v = float(life);

    // Panel: a band along the strip's foot with the life bar, in the strip's 0..1 square.
    setTexturing(false);
    glBegin(GL_QUADS);
    colouredVertex(RGBA(0.0f, 0.5f, 1.0f), -1.0f, 1.0f);
    colouredVertex(RGBA(0.0f, 0.5f, 1.0f), 1.0f, 1.0f);
    colouredVertex(RGBA(0.0f, 0.25f, 0.5f), 1.0f, 0.8f);
    colouredVertex(RGBA(0.0f, 0.25f, 0.5f), -1.0f, 0.8f);

    const RGBA black(0.0f, 0.0f, 0.0f);
    colouredVertex(black, 0.3f, 0.9105f);
    colouredVertex(black, 0.3f, 0.8355f);
    colouredVertex(black, -0.025f, 0.8355f);
    colouredVertex(black, -0.025f, 0.9105f);

    const RGBA grey(0.8f, 0.8f, 0.8f);
    colouredVertex(kWhite, 0.2875f, 0.898f);
    colouredVertex(grey, 0.2875f, 0.848f);
    colouredVertex(grey, -0.0125f, 0.848f);
    colouredVertex(kWhite, -0.0125f, 0.898f);

    // The fill grows leftwards from the bar's right end. The right end's red
    // part would be 100 / life, which has no value at life 0 and is clamped to 1
    // by GL for every other life, so it is 1 throughout.
    float w = v / 100.0f * 0.3f;
    RGBA rightEnd(1.0f, v / 100.0f, 0.0f);
    RGBA leftEnd = life < 20 ? kRed : RGBA(0.0f, 1.0f, 0.0f);
    colouredVertex(rightEnd, 0.2875f, 0.898f);
    colouredVertex(rightEnd, 0.2875f, 0.848f);
    colouredVertex(leftEnd, 0.2875f - w, 0.848f);
    colouredVertex(leftEnd, 0.2875f - w, 0.898f);

    colouredVertex(RGBA(1.0f, 1.0f, 1.0f, 0.55f), -0.995f, 0.992f);
    colouredVertex(RGBA(1.0f, 1.0f, 1.0f, 0.55f), 0.995f, 0.992f);
    colouredVertex(RGBA(1.0f, 1.0f, 1.0f, 0.15f), 0.995f, 0.88f);
    colouredVertex(RGBA(1.0f, 1.0f, 1.0f, 0.15f), -0.995f, 0.88f);
    glEnd();

    // Three hearts under the bar, square on screen.
    float a = engine->getAspectRatio();
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    heartTexture->bind();
    HeartOffsets hearts = heartOffsets(life);
    glTranslatef(0.2f, 0.95f, 0.0f);
    glBegin(GL_QUADS);
    auto heart = [&](float left, int u) {
        float right = left + 0.06f;
        glTexCoord2f(float(u), 0.0f);
        glVertex2f(left, 0.03f * a);
        glTexCoord2f(float(u + 32), 0.0f);
        glVertex2f(right, 0.03f * a);
        glTexCoord2f(float(u + 32), 32.0f);
        glVertex2f(right, -0.03f * a);
        glTexCoord2f(float(u), 32.0f);
        glVertex2f(left, -0.03f * a);
    };
    heart(-0.03f, hearts.centre);
    heart(-0.09f, hearts.left);
    heart(0.03f, hearts.right);
    glEnd();
    glTranslatef(-0.2f, -0.95f, 0.0f);

    // The figures stand in a row across the top of the game view, on a square
    // grid 32 units wide, so they stay readable next to the narrow strip.
    Vec2i size = engine->getScreenSize();
    int left = pixels(kStripShare, size.x);
    int width = pixels(1.0f - kStripShare, size.x);
    engine->setViewport(left, 0, width, size.y);
    loadOrtho(kStoryGridWidth, kStoryGridWidth / engine->getAspectRatio());
    Font* label = game.getLabelFont().get();
    const float columns[3] = {0.0f, 14.5f, 28.8f};
    const char* labels[3] = {"Time:", "Life:", "Points:"};
    std::string values[3] = {std::to_string(99 - int(game.getMatchTime())), std::to_string(life),
                             std::to_string(game.getPlayer1()->getPoints())};
    // A dark shadow keeps the yellow readable over bright level backgrounds.
    const RGBA shadow(0.0f, 0.0f, 0.0f, 0.6f);
    const float shadowOffset = 0.08f;
    for (int i = 0; i < 3; ++i) {
        for (int row = 0; row < 2; ++row) {
            const std::string& text = row == 0 ? std::string(labels[i]) : values[i];
            Vec2f at(columns[i], kStoryRowY + float(row));
            label->draw(at + Vec2f(shadowOffset, shadowOffset), 1.0f, shadow, text);
            label->draw(at, 1.0f, kYellow, text);
        }
    }
    engine->setViewport(0, 0, pixels(kStripShare, size.x), size.y);
}

void GameHud::setWindowProjection()
{
    Vec2i size = engine->getScreenSize();
    engine->setViewport(0, 0, size.x, size.y);
    loadOrtho(double(size.x) / double(size.y), 1.0);
}

void GameHud::drawCountdown(const GameState& game)
{
    setWindowProjection();
    Vec2i size = engine->getScreenSize();
    CountdownLook look = countdownLook(game.getCountdown());
    float centreX = 0.6f * float(size.x) / float(size.y);
    game.getNumberFont()->drawCentered(Vec2f(centreX, 0.5f), look.height, look.colour, look.text);
}

void GameHud::drawBanner(const GameState& game, const std::string& text, const RGBA& colour)
{
    setWindowProjection();
    Vec2i size = engine->getScreenSize();
    float pulse = 0.75f + 0.25f * std::sin(10.0f * engine->getTime());
    float centreX = 0.6f * float(size.x) / float(size.y);
    RGBA pulsing(colour.r, colour.g, colour.b, pulse);
    game.getNumberFont()->drawCentered(Vec2f(centreX, 0.5f), 0.15f, pulsing, text);
}
