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

const char* GameHud::layoutLabel(int player, ControlMode mode) const
{
    // The keys still work beside a pad, but a player holding one looks for its name.
    if (player < engine->getPads().getCount())
        return player == 0 ? "Gamepad 1" : "Gamepad 2";
    if (player == 0)
        return mode == CM_FOUR_KEYS ? "Pfeiltasten" : "Pfeiltasten/R.Strg";
    return mode == CM_FOUR_KEYS ? "W/A/S/D" : "W/A/S/D/Leertaste";
}

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
        PlayerObject* viewer = player == 0 ? game.getPlayer1() : game.getPlayer2();
        if (viewer && viewer->getHurtFlash() > 0.0f)
            drawHurtFlash(viewer->getHurtFlash());
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
        PlayerObject* object = player == 0 ? game.getPlayer1() : game.getPlayer2();
        if (object)
            drawLifeBar(object->getLife(), kStripMargin, top + 0.175f, kStripMargin + textWidth, top + 0.188f);
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
        // Life decides over points, so it stands beside them.
        drawLifeBar(object->getLife(), kStripMargin, top + 0.18f, engine->getAspectRatio() - 1.5f * kStripMargin, top + 0.191f);
    };
    drawPlayer(0, game.getPlayer1(), 0.13f);
    drawPlayer(1, game.getPlayer2(), 0.68f);

    if (game.getWinner() != -1)
        drawBanner(game, game.getWinner() == 0 ? "SPIELER 1\nGEWINNT!" : "SPIELER 2\nGEWINNT!", RGBA(0, 1, 0));
}

void GameHud::drawStory(const GameState& game)
{
    loadOrtho(engine->getAspectRatio(), 1.0);
    Font* label = game.getLabelFont().get();
    Font* number = game.getNumberFont().get();
    PlayerObject* player = game.getPlayer1();
    const int life = std::clamp(player->getLife(), 0, 100);
    const float right = engine->getAspectRatio() - kStripMargin;

    // The player's panel: name, layout and the points in big figures.
    label->draw(Vec2f(kStripMargin, 0.13f), 0.05f, kWhite, "Spieler 1");
    label->draw(Vec2f(kStripMargin, 0.185f), 0.03f, kLightBlue,
                layoutLabel(0, game.getParams().get<ControlMode>("controlMode1")));
    const std::string points = std::to_string(player->getPoints());
    const float unitWidth = label->measure(0.03f, " Punkte").x;
    Vec2f score = number->draw(Vec2f(kStripMargin, 0.22f),
                               fittedHeight(*number, 0.1f, points, right - kStripMargin - unitWidth), kLightBlue, points);
    label->draw(Vec2f(kStripMargin + score.x, 0.22f + score.y - 0.035f), 0.03f, kLightBlue, " Punkte");

    // The middle panel: the seconds left, red for the last ten.
    const int secondsLeft = game.getStorySecondsLeft();
    label->draw(Vec2f(kStripMargin, 0.4575f), 0.035f, kWhite, "Restzeit");
    number->draw(Vec2f(kStripMargin, 0.4925f), 0.055f, secondsLeft <= 10 ? kRed : kLightBlue,
                 std::to_string(secondsLeft));

    // The lower panel: life as a figure, a large bar and three hearts.
    label->draw(Vec2f(kStripMargin, 0.68f), 0.05f, kWhite, "Leben");
    const std::string lifeText = std::to_string(life);
    label->draw(Vec2f(right - label->measure(0.05f, lifeText).x, 0.68f), 0.05f, life < 20 ? kRed : kWhite, lifeText);
    drawLifeBar(life, kStripMargin, 0.745f, right, 0.785f);
    if (!heartTexture)
        heartTexture = engine->getTextureManager()->get("sprites/heart.png", ParameterMap());
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    heartTexture->bind();
    const HeartOffsets hearts = heartOffsets(life);
    const int offsets[3] = {hearts.left, hearts.centre, hearts.right};
    const float heartSize = 0.065f;
    const float first = 0.5f * engine->getAspectRatio() - 1.5f * heartSize;
    glBegin(GL_QUADS);
    for (int i = 0; i < 3; ++i) {
        const float left = first + float(i) * heartSize;
        const float u = float(offsets[i]);
        glTexCoord2f(u, 0.0f);
        glVertex2f(left, 0.8f);
        glTexCoord2f(u + 32.0f, 0.0f);
        glVertex2f(left + heartSize, 0.8f);
        glTexCoord2f(u + 32.0f, 32.0f);
        glVertex2f(left + heartSize, 0.8f + heartSize);
        glTexCoord2f(u, 32.0f);
        glVertex2f(left, 0.8f + heartSize);
    }
    glEnd();

    if (game.isTimeUp())
        drawBanner(game, "ZEIT UM!", RGBA(1.0f, 0.8f, 0.0f));
}

void GameHud::drawLifeBar(int life, float left, float top, float right, float bottom)
{
    setTexturing(false);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float fill = left + (right - left) * float(std::clamp(life, 0, 100)) / 100.0f;
    const RGBA colour = life < 20 ? kRed : life < 50 ? RGBA(1.0f, 0.6f, 0.0f) : RGBA(0.2f, 0.85f, 0.2f);
    const RGBA shine(std::min(1.0f, colour.r + 0.35f), std::min(1.0f, colour.g + 0.35f), std::min(1.0f, colour.b + 0.35f));
    const RGBA trough(0.0f, 0.0f, 0.0f, 0.6f);
    glBegin(GL_QUADS);
    colouredVertex(trough, left, top);
    colouredVertex(trough, right, top);
    colouredVertex(trough, right, bottom);
    colouredVertex(trough, left, bottom);
    // Lighter along its top edge, like the strip's panels.
    colouredVertex(shine, left, top);
    colouredVertex(shine, fill, top);
    colouredVertex(colour, fill, bottom);
    colouredVertex(colour, left, bottom);
    glEnd();
}

void GameHud::drawHurtFlash(float strength)
{
    loadOrtho(1.0, 1.0);
    setTexturing(false);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Red at the edges, fainter in the middle, so the vehicle stays in sight.
    const RGBA edge(0.9f, 0.0f, 0.0f, 0.45f * strength);
    const RGBA middle(0.9f, 0.0f, 0.0f, 0.12f * strength);
    glBegin(GL_TRIANGLE_FAN);
    colouredVertex(middle, 0.5f, 0.5f);
    colouredVertex(edge, 0.0f, 0.0f);
    colouredVertex(edge, 1.0f, 0.0f);
    colouredVertex(edge, 1.0f, 1.0f);
    colouredVertex(edge, 0.0f, 1.0f);
    colouredVertex(edge, 0.0f, 0.0f);
    glEnd();
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
