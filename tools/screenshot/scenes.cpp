#include "tools/screenshot/scenes.h"

#include <cstring>
#include <vector>

#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/present.h"
#include "gfx/screens.h"
#include "gfx/sound_cues.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"
#include "notify/notifier_state.h"

namespace {

const char* const names[] = {"title",   "match",     "unlock", "title-message",
                             "opening", "searching", "found",  "match-end"};

struct Opened {
    int cell;
    CellState state;
};

// A board of closed coffins with these opened; the vampire lies in cell target, and every
// hint points at it truthfully.
void layBoard(int target, const std::vector<Opened>& opened) {
    game.board.target = target;
    for (int& cell : game.board.cells)
        cell = Closed;
    for (const Opened& o : opened)
        game.board.cells[o.cell] = o.state;
}

// Two rounds to one for the player against the computer, first to three.
void midMatch() {
    game.gameMode = 1;
    game.winsNeeded = 3;
    game.scorePlayer1 = 2;
    game.scorePlayer2 = 1;
    game.currentPlayer = 1;
}

void drawTitle() {
    // The clouds part way across, and the banner's start in view (each draw moves it on one
    // step before drawing).
    titleAnimation.cloudOffset = 60.0f;
    titleAnimation.tickerX = 9;
    game.screen = Title;
    drawTitleScreen();
}

void drawMatch() {
    midMatch();
    layBoard(57, {{13, HintHigher},
                  {22, Empty},
                  {26, NoHint},
                  {31, Jammed},
                  {44, HintHigher},
                  {49, Empty},
                  {52, Empty},
                  {63, HintLower},
                  {68, NoHint},
                  {75, HintLower},
                  {86, Jammed}});
    game.cursorRow = 5;
    game.cursorCol = 5;
    game.screen = Play;
    drawPlayScreen();
}

// A message half way through its heading's stand, well clear of either end.
void standMessage(int item, int points) {
    messageQueue.clear();
    notifierStarted = 1;
    notify(item, points, languageTable.getText(2 * item), languageTable.getText(2 * item + 1));
    NotifyMessage& m = messageQueue.front();
    m.start = SDL_GetTicks() - (m.growEnd + (m.titleEnd - m.growEnd) / 2);
    drawNotifier();
}

void drawTitleMessage() {
    drawTitle();
    standMessage(1, 10);
}

void drawOpening() {
    drawMatch();
    startOpening(45);
    game.revealFramesLeft = 8;
    game.screen = Opening;
    drawOpeningScreen();
}

void drawSearching() {
    drawMatch();
    game.searchCell = 26;
    game.searchFramesLeft = 30;
    game.searchFrame = 2;
    game.searchFrameTicks = 4;
    game.screen = Searching;
    drawSearchingScreen();
}

void drawFound() {
    midMatch();
    layBoard(57, {{13, HintHigher}, {31, Jammed}, {57, Target}, {63, HintLower}, {86, Jammed}});
    game.screen = Found;
    game.foundFramesLeft = 50;
    drawFoundScreen();
}

void drawMatchEnd() {
    midMatch();
    game.scorePlayer1 = 3;
    startMatchEnd();
    // Half the fade: each frame takes five steps of alpha.
    for (int i = 0; i < 26; ++i)
        drawMatchEndScreen();
}

void drawUnlock() {
    midMatch();
    // The coffins on both sides of the vampire's opened in one round: item 14.
    layBoard(57, {{13, HintHigher},
                  {31, Jammed},
                  {44, NoHint},
                  {56, HintHigher},
                  {57, Target},
                  {58, HintLower},
                  {63, HintLower},
                  {75, Empty},
                  {86, Jammed}});
    game.screen = Found;
    game.foundFramesLeft = 50; // far from its end, so the round does not finish here
    drawFoundScreen();
    standMessage(14, 50);
}

} // namespace

bool sceneNamed(const char* name, Scene& scene) {
    for (int i = 0; i < sceneCount; ++i) {
        if (name && std::strcmp(name, names[i]) == 0) {
            scene = static_cast<Scene>(i);
            return true;
        }
    }
    return false;
}

const char* sceneName(Scene scene) {
    return scene >= 0 && scene < sceneCount ? names[scene] : "";
}

void drawScene(Scene scene) {
    resetGameState();
    resetFrameValues();
    titleAnimation = TitleAnimation();
    messageQueue.clear();
    switch (scene) {
    case SceneTitle:
        drawTitle();
        break;
    case SceneMatch:
        drawMatch();
        break;
    case SceneUnlock:
        drawUnlock();
        break;
    case SceneTitleMessage:
        drawTitleMessage();
        break;
    case SceneOpening:
        drawOpening();
        break;
    case SceneSearching:
        drawSearching();
        break;
    case SceneFound:
        drawFound();
        break;
    case SceneMatchEnd:
        drawMatchEnd();
        break;
    }
}

SDL_Surface* enlargedScreen(int scale) {
    if (!screenSurface || scale < 1 || scale > 8) return nullptr;
    SDL_Surface* out = SDL_CreateRGBSurface(SDL_SWSURFACE, 320 * scale, 240 * scale, 32, 0xFF0000,
                                            0xFF00, 0xFF, 0);
    if (!out) return nullptr;
    std::vector<Uint32> table;
    buildColourTable(out->format, table);
    enlargeFrame(screenSurface, out, table, scale, 0, 0, false);
    return out;
}
