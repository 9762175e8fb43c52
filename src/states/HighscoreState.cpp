#include "states/HighscoreState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/Enums.h"
#include "resources/FontManager.h"
#include "states/GhostViewer.h"
#include "states/TimeFormat.h"

#include <GL/gl.h>

#include <cstdio>

namespace {

const float kFirstRowY = 4.0f;
const float kRowSpacing = 1.5f;
const RGBA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const RGBA kListColour(0.15f, 0.65f, 0.82f, 1.0f);
const RGBA kPendingColour(1.0f, 0.5f, 0.1f, 1.0f);

bool beats(uint32_t score, uint32_t other, int scoreType)
{
    if (scoreType == ST_POINTS)
        return score > other;
    if (scoreType == ST_TIME)
        return score < other;
    return false;
}

// Only printable Latin-1 reaches a name: a control character would end up in
// the file and could make it unreadable, and characters beyond Latin-1 have no
// glyph and no byte of their own.
bool isPrintableLatin1(Uint16 unicode)
{
    return (unicode >= 32 && unicode <= 126) || (unicode >= 160 && unicode <= 255);
}

// Spaces, including Latin-1's no-break space, do not make a name.
bool isBlank(const std::string& name)
{
    return name.find_first_not_of(" \t\r\n\f\v\xA0") == std::string::npos;
}

} // namespace

HighscoreState::HighscoreState(Engine* engine) : HighscoreState(engine, HighscoreTable::playerPaths(engine)) {}

HighscoreState::HighscoreState(Engine* engine, const SearchPathList& highscorePaths)
    : State("Highscore", engine), table(highscorePaths)
{
}

HighscoreState::~HighscoreState() = default;

bool HighscoreState::loadLevelGhost(GhostRun& run)
{
    uint64_t checksum = 0;
    return scoreType == ST_TIME && levelChecksum(*engine->getSearchPaths(), levelFilename, checksum)
           && loadGhost(ghostPath(table, levelFilename), levelFilename, checksum, run);
}

void HighscoreState::enter(const ParameterMap& params)
{
    // The fonts come with the first visit; the title font's big page would
    // otherwise hold up the program's start.
    if (!font) {
        font = engine->getFontManager()->get("fonts/arial.fnt");
        titleFont = engine->getFontManager()->get("fonts/bellgothic.fnt");
    }
    levelFilename = params.get<std::string>("levelFilename");
    scoreType = params.get<ScoreType>("scoreType");
    score1 = params.has<unsigned int>("score1") ? params.get<unsigned int>("score1") : 0;
    score2 = params.has<unsigned int>("score2") ? params.get<unsigned int>("score2") : 0;
    run1 = params.get<std::string>("run1");
    run2 = params.get<std::string>("run2");
    inputPlayer = 0;

    name1 = !lastNames[0].empty() ? lastNames[0] : params.get<std::string>("name1");
    name2 = !lastNames[1].empty() ? lastNames[1] : params.get<std::string>("name2");

    if (!table.qualifies(score1, levelFilename, scoreType)) {
        score1 = 0;
        name1.clear();
    }
    if (!table.qualifies(score2, levelFilename, scoreType)) {
        score2 = 0;
        name2.clear();
    }
    if (score1 == 0 && score2 != 0)
        takeSecondResult();
    entries = table.getEntries(levelFilename, scoreType);
    GhostRun ghost;
    hasGhost = loadLevelGhost(ghost);
}

void HighscoreState::leave()
{
    name1.clear();
    score1 = 0;
    run1.clear();
    run2.clear();
    viewer.reset();
}

void HighscoreState::leaveScreen()
{
    engine->popState();
    engine->startTransition(new CubeTransition(engine, 0.75f));
}

void HighscoreState::update()
{
    if (viewer) {
        if (engine->wasKeyPressed(SDLK_ESCAPE))
            viewer.reset();
        else
            viewer->update();
        return;
    }
    if (scoreType == ST_NONE || engine->wasKeyPressed(SDLK_ESCAPE)) {
        leaveScreen();
        return;
    }
    if (score1 == 0) {
        if (engine->wasKeyPressed(SDLK_RETURN))
            leaveScreen();
        else if (engine->wasKeyPressed(SDLK_w))
            watchRecordRun();
        return;
    }
    while (score1 != 0 && engine->hasTypedKeys())
        typeKey(engine->popTypedKey());
}

void HighscoreState::typeKey(const SDL_keysym& key)
{
    if (key.sym == SDLK_BACKSPACE) {
        if (!name1.empty())
            name1.pop_back();
    } else if (key.sym == SDLK_RETURN) {
        confirmName();
    } else if (name1.size() < kMaxNameLength && isPrintableLatin1(key.unicode)) {
        name1 += char(key.unicode & 0xFF);
    }
}

void HighscoreState::confirmName()
{
    if (isBlank(name1))
        return;
    table.insert(score1, levelFilename, scoreType, name1);
    table.save();
    entries = table.getEntries(levelFilename, scoreType);
    lastNames[inputPlayer] = name1;
    keepRecordRun();

    // The first name may have pushed the second result out of the list; asking
    // for a name that is not stored would only mislead.
    if (score2 != 0 && table.qualifies(score2, levelFilename, scoreType)) {
        takeSecondResult();
        return;
    }
    name1.clear();
    score1 = 0;
    name2.clear();
    score2 = 0;
}

void HighscoreState::takeSecondResult()
{
    // Typed on the first line, the result stays player 2's: the name it is
    // stored under is remembered for player 2.
    name1 = name2;
    score1 = score2;
    run1.swap(run2);
    inputPlayer = 1;
    name2.clear();
    score2 = 0;
    run2.clear();
}

void HighscoreState::keepRecordRun()
{
    GhostRun run;
    std::string why;
    if (run1.empty() || entries.empty() || entries.front().score != score1)
        return;
    if (!GhostRun::fromBytes(run1, run, why) || run.levelFilename != levelFilename || run.hundredths != score1) {
        std::fprintf(stderr, "zorbel: the record run handed to the highscores does not fit them; not kept\n");
        return;
    }
    keepIfFaster(ghostPath(table, levelFilename), run);
    GhostRun kept;
    hasGhost = loadLevelGhost(kept);
}

void HighscoreState::watchRecordRun()
{
    GhostRun ghost;
    if (!loadLevelGhost(ghost))
        return;
    viewer = std::make_unique<GhostViewer>(engine, levelFilename, ghost);
    if (!viewer->isReady())
        viewer.reset();
}

std::string HighscoreState::helpLine() const
{
    if (viewer)
        return "Zur\xFC" "ck: Escape";
    if (score1 == 0 && hasGhost)
        return "Weiter: Return  Rekordfahrt: W";
    return "Eingabe/Weiter: Return";
}

std::vector<HighscoreRow> HighscoreState::layoutRows(const std::vector<HighscoreEntry>& entries, uint32_t pendingScore,
                                                     int scoreType)
{
    std::vector<HighscoreRow> rows;
    float y = kFirstRowY;
    float entryY = kFirstRowY;
    unsigned rank = 1;
    bool placed = false;
    for (size_t i = 0; i < entries.size() && rank <= HighscoreTable::kMaxEntries; ++i) {
        if (pendingScore != 0 && !placed && beats(pendingScore, entries[i].score, scoreType)) {
            rows.push_back(HighscoreRow{rank, entryY, -1});
            rank += 1;
            y += kRowSpacing;
            placed = true;
        }
        if (rank <= HighscoreTable::kMaxEntries) {
            rows.push_back(HighscoreRow{rank, y, int(i)});
            y += kRowSpacing;
            if (!placed)
                entryY = y;
            rank += 1;
        }
    }
    if (pendingScore != 0 && !placed)
        rows.push_back(HighscoreRow{rank, entryY, -1});
    return rows;
}

std::string HighscoreState::scoreText(uint32_t score, int scoreType)
{
    return scoreType == ST_TIME ? formatHundredths(score) : std::to_string(score);
}

void HighscoreState::render()
{
    Vec2i size = engine->getScreenSize();
    engine->setViewport(0, 0, size.x, size.y);
    clearViewport(RGBA(0.0f, 0.0f, 0.0f, 1.0f));
    // With nothing to show the screen leaves at its next step.
    if (scoreType == ST_NONE || !font || !titleFont)
        return;
    if (viewer)
        viewer->render();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 32.0, 24.0, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setTexturing(true);
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (viewer) {
        const GhostRun& run = viewer->getRun();
        titleFont->drawCentered(Vec2f(16.0f, 2.0f), 1.5f, kWhite, "Rekordfahrt " + formatHundredths(run.hundredths));
        titleFont->drawCentered(Vec2f(16.0f, 22.0f), 1.5f, kWhite, helpLine());
        return;
    }
    titleFont->drawCentered(Vec2f(16.0f, 2.0f), 2.0f, kWhite, "Highscore");
    titleFont->drawCentered(Vec2f(16.0f, 22.0f), 1.5f, kWhite, helpLine());

    bool cursorShown = static_cast<long long>(engine->getTime() * cursorRate) % 2 == 1;
    for (const HighscoreRow& row : layoutRows(entries, score1, scoreType)) {
        bool pending = row.entry < 0;
        const RGBA& colour = pending ? kPendingColour : kListColour;
        std::string text = std::to_string(row.rank) + ". ";
        if (pending)
            text += name1 + (cursorShown ? "_" : "");
        else
            text += entries[row.entry].name;
        font->draw(Vec2f(8.0f, row.y), 1.0f, colour, text);
        font->draw(Vec2f(18.0f, row.y), 1.0f, colour, scoreText(pending ? score1 : entries[row.entry].score, scoreType));
    }
}
