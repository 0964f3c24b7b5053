#include "gfx/screens.h"

#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/draw.h"
#include "gfx/sound_cues.h"
#include "localisation/language_table.h"

TitleAnimation titleAnimation;

namespace {

// Coffin image of each cell state; 0 draws nothing.
int coffinImageFor(int state) {
    static const int map[7] = {5, 1, 3, 12, 11, 10, 9};
    return (state >= 0 && state <= 6) ? map[state] : 0;
}

int cellX(int cell) {
    return 100 + 20 * (cell % 10);
}
int cellY(int cell) {
    return 20 + 20 * (cell / 10);
}

void blitCoffin(int number, int cell) {
    if (number > 0 && number <= 12) blitAt(images.coffin[number], cellX(cell), cellY(cell));
}

void clearScreen() {
    if (screenSurface) SDL_FillRect(screenSurface, nullptr, 0);
}

SDL_Surface* opponentPortrait() {
    return game.gameMode == 2 ? images.player[2] : images.player[3];
}

void setAlpha(SDL_Surface* s, Uint32 flags, int alpha) {
    if (s) SDL_SetAlpha(s, flags, static_cast<Uint8>(alpha & 0xff));
}

} // namespace

void drawTitleScreen() {
    clearScreen();
    blitAt(images.title, 0, 0);
    if (screenSurface) {
        SDL_PixelFormat* fmt = screenSurface->format;
        SDL_Rect box = {45, 97, 70, 115};
        drawFrame(box, SDL_MapRGB(fmt, 16, 32, 64), SDL_MapRGB(fmt, 255, 255, 255));
    }
    // The sum is taken in double and rounded back to float, as the drift always was.
    TitleAnimation& t = titleAnimation;
    t.cloudOffset = static_cast<float>(static_cast<double>(t.cloudOffset) + 0.4);
    if (t.cloudOffset > 320.0f) t.cloudOffset = 0.0f;
    int c = static_cast<int>(t.cloudOffset);
    blitAt(images.titleClouds, c, 0);
    blitAt(images.titleClouds, c - 320, 0);

    int sel = game.menuSelection;
    blitAt(sel == 0 ? images.pvcSelected : images.pvc, 48, 100);
    blitAt(sel == 1 ? images.pvpSelected : images.pvp, 48, 130);
    blitAt(sel == 2 ? images.leftSelected : images.left, 48, 160);
    blitAt(images.scoreback, 68, 160);
    if (game.winsNeeded >= 0 && game.winsNeeded <= 9)
        blitAt(images.digit[game.winsNeeded], 68, 160);
    blitAt(sel == 2 ? images.rightSelected : images.right, 88, 160);
    blitAt(sel == 3 ? images.exitSelected : images.exit, 68, 190);
    drawTicker();
}

void drawTicker() {
    titleAnimation.tickerX -= 1;
    if (titleAnimation.tickerX < -1820) titleAnimation.tickerX = 320;
    drawText(screenSurface, languageTable.getText(TextBanner), titleAnimation.tickerX, 220, 255,
             255, 255);
}

void drawBoard(int skipCell) {
    blitAt(images.fondo, 0, 0);
    // Shadows and coffins alternate, so a later shadow falls over an earlier coffin.
    for (int i = 0; i < 100; ++i) {
        if (images.coffinShadow) blitAt(images.coffinShadow, cellX(i) + 3, cellY(i) + 3);
        if (i != skipCell) blitCoffin(coffinImageFor(cellStateAt(i)), i);
    }
}

void drawCursor() {
    if (humanTurn()) blitAt(images.cursor, 100 + 20 * game.cursorCol, 20 + 20 * game.cursorRow);
}

// Scores stay within 0..9; the guard only keeps a stray value from reading past the table.
static SDL_Surface* digitImage(int n) {
    return (n >= 0 && n <= 9) ? images.digit[n] : nullptr;
}

void drawScorePanel() {
    blitAt(images.player[1], 20, 80);
    if (game.currentPlayer == 1) blitAt(images.scoreback, 40, 80);
    blitAt(digitImage(game.scorePlayer1), 40, 80);
    blitAt(opponentPortrait(), 20, 140);
    if (game.currentPlayer == 2) blitAt(images.scoreback, 40, 140);
    blitAt(digitImage(game.scorePlayer2), 40, 140);
}

void drawPlayScreen() {
    drawBoard(-1);
    drawCursor();
    drawScorePanel();
}

void drawOpeningScreen() {
    // Also on the call that ends the animation: that frame shows the shadow alone.
    drawBoard(game.revealCell);
    if (static_cast<unsigned>(game.revealCell) <= 99 && game.revealFramesLeft > 0) {
        int t = --game.revealFramesLeft;
        blitCoffin(t > 6 ? 1 : (game.revealFromJammed ? 4 : 2), game.revealCell);
    } else {
        CellState state = cellStateAt(game.revealCell);
        if (state == Target) {
            startFoundPause();
            game.screen = Found;
        } else if (state == NoHint || state == HintHigher || state == HintLower) {
            startSearch(game.revealCell);
            game.screen = Searching;
        } else {
            game.screen = Play;
            passTurn();
        }
        game.revealCell = -1;
        game.revealFramesLeft = 0;
    }
    drawCursor();
    drawScorePanel();
}

void drawSearchingScreen() {
    if (static_cast<unsigned>(game.searchCell) > 99 || game.searchFramesLeft <= 0) {
        drawBoard(-1);
        game.searchFramesLeft = 0;
        game.searchCell = -1;
        game.screen = Play;
        passTurn();
    } else {
        drawBoard(game.searchCell);
        game.searchFramesLeft -= 1;
        game.searchFrameTicks -= 1;
        if (game.searchFrameTicks < 1) {
            game.searchFrameTicks = 6;
            game.searchFrame += 1;
            if (game.searchFrame > 3) game.searchFrame = 0;
        }
        static const int frames[4] = {6, 7, 6, 8};
        int f = game.searchFrame;
        blitCoffin((f >= 0 && f <= 3) ? frames[f] : 6, game.searchCell);
    }
    drawScorePanel();
}

void drawFoundScreen() {
    drawBoard(-1);
    drawScorePanel();
    game.foundFramesLeft -= 1;
    if (game.foundFramesLeft > 0) return;
    finishRound();
}

void drawMatchEndScreen() {
    clearScreen();
    EndRect& r1 = game.endRectPlayer1;
    EndRect& r2 = game.endRectPlayer2;
    blitAt(images.player[1], r1.x, r1.y);
    blitAt(digitImage(game.scorePlayer1), r1.x + 20, r1.y);
    blitAt(opponentPortrait(), r2.x, r2.y);
    blitAt(digitImage(game.scorePlayer2), r2.x + 20, r2.y);

    // The winner slides right while the loser's images fade; each frame is drawn
    // with the alpha set on the frame before.
    if (game.scorePlayer1 >= game.winsNeeded) {
        if (r1.x <= 144) r1.x = static_cast<int16_t>(r1.x + 2);
        setAlpha(images.player[2], SDL_SRCALPHA, game.endFadeAlpha);
        setAlpha(images.player[3], SDL_SRCALPHA, game.endFadeAlpha);
        setAlpha(digitImage(game.scorePlayer2), SDL_SRCALPHA, game.endFadeAlpha);
    } else {
        if (r2.x <= 144) r2.x = static_cast<int16_t>(r2.x + 2);
        setAlpha(images.player[1], SDL_SRCALPHA, game.endFadeAlpha);
        setAlpha(digitImage(game.scorePlayer1), SDL_SRCALPHA, game.endFadeAlpha);
    }
    game.endFadeAlpha -= 5;
    if (game.endFadeAlpha < 0) {
        game.endFadeAlpha = 0;
        if (game.endHoldFrames > 0) game.endHoldFrames -= 1;
    }
    if (game.endHoldFrames == 0) {
        setAlpha(images.player[2], 0, 255);
        setAlpha(images.player[3], 0, 255);
        setAlpha(digitImage(game.scorePlayer2), 0, 255);
        setAlpha(images.player[1], 0, 255);
        setAlpha(digitImage(game.scorePlayer1), 0, 255);
        game.screen = Title;
    }
}
