#include <gtest/gtest.h>

#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/draw.h"
#include "gfx/screens.h"
#include "tests/test_support.h"

namespace {

class DrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        screen = testScreen();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->format->BitsPerPixel, 16);
        resetGame();
        SDL_FillRect(screen, nullptr, 0);
    }
    int countPixels(Uint16 value) {
        int n = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                n += pixelAt(screen, x, y) == value;
        return n;
    }
    SDL_Surface* screen = nullptr;
};

TEST_F(DrawTest, RoundedBoxClipsThreePixelsAtEachCorner) {
    SDL_Rect r = {10, 10, 6, 6};
    fillRoundedBox(r, 0xffff);
    EXPECT_EQ(countPixels(0xffff), 24);
    EXPECT_EQ(pixelAt(screen, 10, 10), 0);
    EXPECT_EQ(pixelAt(screen, 11, 10), 0);
    EXPECT_EQ(pixelAt(screen, 10, 11), 0);
    EXPECT_EQ(pixelAt(screen, 12, 10), 0xffff);
    EXPECT_EQ(pixelAt(screen, 15, 15), 0);
    EXPECT_EQ(pixelAt(screen, 14, 14), 0xffff);
    SDL_Rect small = {40, 40, 5, 30};
    fillRoundedBox(small, 0xffff);
    EXPECT_EQ(countPixels(0xffff), 24);
}

TEST_F(DrawTest, FrameBorderFollowsTheClippedCorners) {
    SDL_Rect r = {45, 97, 70, 115};
    const Uint16 inner = 0x1234, outer = 0xffff;
    drawFrame(r, inner, outer);
    EXPECT_EQ(pixelAt(screen, 45, 97), 0);
    EXPECT_EQ(pixelAt(screen, 47, 97), outer);
    EXPECT_EQ(pixelAt(screen, 47, 98), outer);
    EXPECT_EQ(pixelAt(screen, 46, 99), outer);
    EXPECT_EQ(pixelAt(screen, 48, 98), inner);
    EXPECT_EQ(pixelAt(screen, 47, 99), inner);
    EXPECT_EQ(pixelAt(screen, 46, 100), inner);
    EXPECT_EQ(pixelAt(screen, 114, 211), 0);
    EXPECT_EQ(pixelAt(screen, 80, 211), outer);
    EXPECT_EQ(pixelAt(screen, 80, 150), inner);

    // A frame 6 wide draws only its outer box; tiny ones draw nothing at all.
    SDL_FillRect(screen, nullptr, 0);
    SDL_Rect narrow = {200, 10, 6, 20};
    drawFrame(narrow, inner, outer);
    EXPECT_EQ(countPixels(inner), 0);
    EXPECT_GT(countPixels(outer), 0);
    SDL_FillRect(screen, nullptr, 0);
    SDL_Rect tiny = {200, 10, 1, 1};
    drawFrame(tiny, inner, outer);
    EXPECT_EQ(countPixels(outer) + countPixels(inner), 0);
}

TEST_F(DrawTest, TextWithoutFontOrContentDrawsNothing) {
    TTF_Font* saved = gameFont;
    gameFont = nullptr;
    drawText(screen, "Vesperalia", 10, 10, 255, 255, 255);
    gameFont = saved;
    if (!TTF_WasInit()) TTF_Init();
    TTF_Font* font = TTF_OpenFont("data/ruveridovo.ttf", 8);
    if (font) {
        gameFont = font;
        drawText(screen, "", 10, 10, 255, 255, 255);
        EXPECT_EQ(countPixels(0xffff), 0);
        drawText(screen, "Vesperalia", 10, 10, 255, 255, 255);
        EXPECT_GT(countPixels(0xffff), 10);
        gameFont = saved;
        TTF_CloseFont(font);
    }
    EXPECT_EQ(countPixels(0), 320 * 240 - (font ? countPixels(0xffff) : 0));
}

// A solid 20x20 8-bit image whose every pixel has the given colour.
SDL_Surface* solidImage(Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* s = SDL_CreateRGBSurface(0, 20, 20, 8, 0, 0, 0, 0);
    SDL_Color c[2] = {{0, 0, 0, 0}, {r, g, b, 0}};
    SDL_SetColors(s, c, 0, 2);
    SDL_FillRect(s, nullptr, 1);
    return s;
}

TEST_F(DrawTest, BoardPutsEachCellOnTheTwentyPixelPitch) {
    SDL_Surface* closed = solidImage(255, 0, 0);
    images.coffin[1] = closed;
    initBoard(9);
    drawBoard(-1);
    Uint16 red = static_cast<Uint16>(SDL_MapRGB(screen->format, 255, 0, 0));
    // Cell 37: row 3, column 7.
    EXPECT_EQ(pixelAt(screen, 240, 80), red);
    EXPECT_EQ(pixelAt(screen, 259, 99), red);
    EXPECT_EQ(countPixels(red), 100 * 400);
    // The skipped cell shows no coffin.
    SDL_FillRect(screen, nullptr, 0);
    drawBoard(37);
    EXPECT_EQ(pixelAt(screen, 240, 80), 0);
    EXPECT_EQ(countPixels(red), 99 * 400);
    images.coffin[1] = nullptr;
    SDL_FreeSurface(closed);
}

TEST_F(DrawTest, CursorHiddenWhileTheComputerMoves) {
    SDL_Surface* cursor = solidImage(0, 255, 0);
    images.cursor = cursor;
    Uint16 green = static_cast<Uint16>(SDL_MapRGB(screen->format, 0, 255, 0));
    game.currentPlayer = 2;
    drawCursor();
    EXPECT_EQ(countPixels(green), 0);
    game.gameMode = 2;
    drawCursor();
    EXPECT_EQ(pixelAt(screen, 200, 120), green);
    images.cursor = nullptr;
    SDL_FreeSurface(cursor);
}

TEST_F(DrawTest, TitleAnimationDriftsAndWraps) {
    for (int i = 0; i < 800; ++i)
        drawTitleScreen();
    EXPECT_EQ(static_cast<int>(titleAnimation.cloudOffset), 319);
    drawTitleScreen();
    EXPECT_EQ(titleAnimation.cloudOffset, 0.0f);
    EXPECT_EQ(titleAnimation.tickerX, 325 - 801);
    titleAnimation.tickerX = -1820;
    drawTicker();
    EXPECT_EQ(titleAnimation.tickerX, 320);
}

TEST_F(DrawTest, OpeningShowsTheLidThenDecides) {
    startMatch();
    game.board.target = 0;
    game.board.cells[45] = Jammed;
    game.screen = Opening;
    startOpening(45);
    revealCellAt(45); // level 9: opens with a hint
    int lidFrames = 0;
    for (int call = 0; call < 15; ++call) {
        drawOpeningScreen();
        if (game.revealFramesLeft <= 6) ++lidFrames;
    }
    EXPECT_EQ(lidFrames, 7);
    EXPECT_EQ(game.screen, Opening);
    drawOpeningScreen();
    EXPECT_EQ(game.screen, Searching);
    EXPECT_EQ(game.searchCell, 45);
    EXPECT_EQ(game.revealCell, -1);
    for (int call = 0; call < 50; ++call)
        drawSearchingScreen();
    EXPECT_EQ(game.screen, Searching);
    EXPECT_EQ(game.searchFrame, 0); // 5, then seven runs of 6, then 3 frames: back on image 0
    drawSearchingScreen();
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.currentPlayer, 2);
}

TEST_F(DrawTest, MatchEndSlidesTheWinnerAndRestoresAlpha) {
    SDL_Surface* portrait = solidImage(10, 20, 30);
    images.player[3] = portrait;
    game.winsNeeded = 1;
    game.scorePlayer1 = 1;
    game.endRectPlayer1 = {20, 80, 0, 0};
    game.endRectPlayer2 = {20, 140, 0, 0};
    game.endFadeAlpha = 255;
    game.endHoldFrames = 150;
    game.screen = MatchEnd;
    int frames = 0;
    while (game.screen == MatchEnd && frames < 500) {
        drawMatchEndScreen();
        ++frames;
        if (frames == 60) {
            EXPECT_NE(portrait->flags & SDL_SRCALPHA, 0u);
        }
    }
    EXPECT_EQ(frames, 201);
    EXPECT_EQ(game.endRectPlayer1.x, 146);
    EXPECT_EQ(game.endRectPlayer2.x, 20);
    EXPECT_EQ(portrait->flags & SDL_SRCALPHA, 0u);
    EXPECT_EQ(portrait->format->alpha, 255);
    images.player[3] = nullptr;
    SDL_FreeSurface(portrait);
}

} // namespace
