#include "states/CreditsState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/FontManager.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"

#include <cmath>

namespace {

const RGBA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const RGBA kLightBlue(0.15f, 0.65f, 0.82f, 1.0f);

constexpr float kScreenHeight = 24.0f;
constexpr float kTitleHeight = 1.25f;
constexpr float kLabelHeight = 1.0f;
constexpr float kLineAdvance = 20.0f;

// The head of the column: headings in the title font stand half a unit left of their blocks.
struct Block {
    bool title;
    const char* text;
    float advance;
};

const Block kBlocks[] = {
    {true, "Quorvell Zorbel 2010 Team", 2.0f},
    {false, "Programmierung: Team Zorbel\nGrafik und Sound: Team Zorbel\nLeveldesign: Team Zorbel", 5.5f},
    {true, "Verwendete Bibliotheken", 2.0f},
    {false, "Box2D\nSDL\nSDL_Image\nTinyXML\nOgg Vorbis", 7.5f},
    {true, "Besonderer Dank an", 2.0f},
    {false, "OpenGL / Mesa und OpenAL Soft\nlibogg und libvorbis\nGoogleTest\nLiberation-Schriften\n"
            "DejaVu-Schriften\n",
     20.0f},
};

// Marks the slot where the monster jumps out instead of a line of text.
const char* const kShock = "[SHOCK]";

// Each one alone on the screen, twenty units apart, for whoever is still watching.
const char* const kLines[] = {
    "Das war's!",
    "Wirklich jetzt.",
    "Hier gibt es nichts mehr zu sehen!",
    "Du verschwendest nur deine Zeit ...",
    "Laaaaangweilig!",
    "Willst du nicht lieber spielen?",
    "Oder fernsehen?",
    "Was kommt denn so im Fernsehen?",
    "...",
    "Schnarch ...",
    "",
    "Ich bin kurz eingeschlafen.",
    "Immer noch da?!",
    "Mir f\xE4llt nichts mehr ein ...",
    "Na gut!",
    "Wenn du schon so hartn\xE4"
    "ckig bist, ...",
    "... dann erz\xE4hle ich dir halt was.",
    "Eine fantastische Geschichte ...",
    "... von Hass und Rachsucht ...",
    "... weit \xFC"
    "ber das Grab hinaus!",
    "Es war einmal, vor langer Zeit ...",
    "... wie war das noch?",
    "Ich hab's vergessen!",
    kShock,
    "Haha! Erschrocken?",
    "Das hat man dann davon!",
    "Jetzt reicht's aber wirklich.",
    "Tsch\xFCss!",
};
constexpr int kLineCount = int(sizeof kLines / sizeof kLines[0]);

float headHeight()
{
    float height = 0.0f;
    for (const Block& block : kBlocks)
        height += block.advance;
    return height;
}

int shockIndex()
{
    for (int i = 0; i < kLineCount; ++i) {
        if (kLines[i] == kShock)
            return i;
    }
    return -1;
}

// The monster is on screen while its slot is between these two.
bool monsterVisible(float y)
{
    return y > 4.0f && y < kScreenHeight;
}

void drawMonster(float y)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(16.0f, 12.0f, 0.0f);
    // It throbs as it rises and fades out between y = 11 and y = 10.
    float scale = 1.0f + 0.25f * std::sin(5.0f * (y - kScreenHeight));
    glScalef(scale, scale, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, y - 10.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-12.0f, -10.0f);
    glTexCoord2f(512.0f, 0.0f);
    glVertex2f(12.0f, -10.0f);
    glTexCoord2f(512.0f, 512.0f);
    glVertex2f(12.0f, 10.0f);
    glTexCoord2f(0.0f, 512.0f);
    glVertex2f(-12.0f, 10.0f);
    glEnd();
    glPopMatrix();
}

} // namespace

CreditsState::CreditsState(Engine* engine) : State("Credits", engine) {}

void CreditsState::loadResources()
{
    // Loaded on the first visit, as most players never open the credits.
    if (labelFont)
        return;
    labelFont = engine->getFontManager()->get("fonts/arial.fnt");
    titleFont = engine->getFontManager()->get("fonts/bellgothic.fnt");
    gradientTexture = engine->getTextureManager()->get("sprites/gradient.jpg");
    monsterTexture = engine->getTextureManager()->get("sprites/monster.png");
    screamSound = engine->getSoundManager()->get("sounds/scream.ogg");
}

float CreditsState::contentHeight()
{
    return headHeight() + kLineCount * kLineAdvance;
}

float CreditsState::monsterY(float top)
{
    return top + headHeight() + float(shockIndex()) * kLineAdvance;
}

void CreditsState::enter(const ParameterMap&)
{
    loadResources();
    scroll = kStartScroll;
    shockPlayed = false;
}

void CreditsState::leave() {}

void CreditsState::activate() {}

void CreditsState::deactivate() {}

void CreditsState::update()
{
    float factor = engine->isKeyDown(SDLK_SPACE) ? kFastFactor : 1.0f;
    scroll -= kScrollSpeed * factor * engine->getFrameTime();
    if (scroll < -contentHeight()) {
        scroll = kStartScroll;
        shockPlayed = false;
    }
    if (engine->wasKeyPressed(SDLK_ESCAPE)) {
        engine->popState();
        engine->startTransition(new CubeTransition(engine, 0.75f));
        return;
    }
    // The scream belongs to the first frame that shows the monster, once per pass.
    if (!shockPlayed && monsterVisible(monsterY(scroll))) {
        screamSound->play(false, 1.0f, 1.0f);
        shockPlayed = true;
    }
}

void CreditsState::render()
{
    clearViewport(RGBA(0.0f, 0.0f, 0.0f, 1.0f));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 32.0, kScreenHeight, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);

    float y = scroll;
    for (const Block& block : kBlocks) {
        if (block.title)
            titleFont->draw(Vec2f(textLeft - 0.5f, y), kTitleHeight, kWhite, block.text);
        else
            labelFont->draw(Vec2f(textLeft, y), kLabelHeight, kLightBlue, block.text);
        y += block.advance;
    }

    for (const char* line : kLines) {
        if (line == kShock) {
            if (monsterVisible(y)) {
                setTexturing(true);
                setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                monsterTexture->bind();
                drawMonster(y);
            }
        } else if (y > -1.0f && y < kScreenHeight) {
            titleFont->draw(Vec2f(textLeft, y), kTitleHeight, kWhite, line);
        }
        y += kLineAdvance;
    }

    // Multiplying the gradient over everything fades the column in at the bottom and out at the top.
    setTexturing(true);
    setBlendMode(GL_DST_COLOR, GL_ZERO);
    gradientTexture->bind();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(512.0f, 0.0f);
    glVertex2f(32.0f, 0.0f);
    glTexCoord2f(512.0f, 512.0f);
    glVertex2f(32.0f, kScreenHeight);
    glTexCoord2f(0.0f, 512.0f);
    glVertex2f(0.0f, kScreenHeight);
    glEnd();
}
