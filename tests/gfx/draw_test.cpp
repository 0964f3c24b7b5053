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
        ASSERT_EQ(screen->format->BitsPerPixel, 16);
        resetGame();
        SDL_FillRect(screen, nullptr, 0);
    }
    int count(Uint16 value) {
        int n = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                n += pixelAt(screen, x, y) == value;
        return n;
    }
    // A solid 20x20 8-bit image of one colour.
    SDL_Surface* solid(Uint8 r, Uint8 g, Uint8 b) {
        SDL_Surface* s = SDL_CreateRGBSurface(0, 20, 20, 8, 0, 0, 0, 0);
        SDL_Color c[2] = {{0, 0, 0, 0}, {r, g, b, 0}};
        SDL_SetColors(s, c, 0, 2);
        SDL_FillRect(s, nullptr, 1);
        return s;
    }
    SDL_Surface* screen = nullptr;
};

TEST_F(DrawTest, BoxesAndFramesClipThreePixelsAtEachCorner) {
    fillRoundedBox({10, 10, 6, 6}, 0xffff);
    EXPECT_EQ(count(0xffff), 24);
    fillRoundedBox({40, 40, 5, 30}, 0xffff); // 5 or less: nothing
    EXPECT_EQ(count(0xffff), 24);

    const Uint16 inner = 0x1234, outer = 0xffff;
    SDL_FillRect(screen, nullptr, 0);
    drawFrame({45, 97, 70, 115}, inner, outer);
    const int outerAt[][2] = {{47, 97}, {47, 98}, {46, 99}, {80, 211}};
    const int innerAt[][2] = {{48, 98}, {47, 99}, {46, 100}, {80, 150}};
    for (auto& p : outerAt)
        EXPECT_EQ(pixelAt(screen, p[0], p[1]), outer);
    for (auto& p : innerAt)
        EXPECT_EQ(pixelAt(screen, p[0], p[1]), inner);
    EXPECT_EQ(pixelAt(screen, 45, 97), 0);
    EXPECT_EQ(pixelAt(screen, 114, 211), 0);

    SDL_FillRect(screen, nullptr, 0);
    drawFrame({200, 10, 6, 20}, inner, outer); // only the outer box fits
    drawFrame({250, 10, 1, 1}, inner, outer);  // nothing, and no wrapped-around size
    EXPECT_EQ(count(inner), 0);
    EXPECT_EQ(count(outer), 6 * 20 - 12);
}

TEST_F(DrawTest, BoardPutsEachCellOnTheTwentyPixelPitch) {
    SDL_Surface* closed = solid(255, 0, 0);
    images.coffin[1] = closed;
    initBoard(9);
    drawBoard(37);
    Uint16 red = static_cast<Uint16>(SDL_MapRGB(screen->format, 255, 0, 0));
    EXPECT_EQ(count(red), 99 * 400);
    EXPECT_EQ(pixelAt(screen, 240, 80), 0); // cell 37, skipped
    drawBoard(-1);
    EXPECT_EQ(pixelAt(screen, 240, 80), red);
    EXPECT_EQ(pixelAt(screen, 259, 99), red);
    images.coffin[1] = nullptr;
    SDL_FreeSurface(closed);
}

TEST_F(DrawTest, TitleCloudsWrapAfterEightHundredFrames) {
    for (int i = 0; i < 800; ++i)
        drawTitleScreen();
    EXPECT_EQ(static_cast<int>(titleAnimation.cloudOffset), 319);
    drawTitleScreen();
    EXPECT_EQ(titleAnimation.cloudOffset, 0.0f);
    titleAnimation.tickerX = -1820;
    drawTicker();
    EXPECT_EQ(titleAnimation.tickerX, 320);
}

TEST_F(DrawTest, MatchEndSlidesTheWinnerFadesTheLoserAndRestoresAlpha) {
    SDL_Surface* computer = solid(10, 20, 30);
    images.player[3] = computer;
    game.winsNeeded = 1;
    game.scorePlayer1 = 1;
    game.endRectPlayer1 = {20, 80, 0, 0};
    game.endRectPlayer2 = {20, 140, 0, 0};
    game.endFadeAlpha = 255;
    game.endHoldFrames = 150;
    game.screen = MatchEnd;
    int frames = 0;
    for (; game.screen == MatchEnd && frames < 500; ++frames) {
        drawMatchEndScreen();
        if (frames == 60) {
            EXPECT_NE(computer->flags & SDL_SRCALPHA, 0u);
        }
    }
    EXPECT_EQ(frames, 201);
    EXPECT_EQ(game.endRectPlayer1.x, 146);
    EXPECT_EQ(game.endRectPlayer2.x, 20);
    EXPECT_EQ(computer->flags & SDL_SRCALPHA, 0u);
    images.player[3] = nullptr;
    SDL_FreeSurface(computer);
}

} // namespace
