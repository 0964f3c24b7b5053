#include <cstdlib>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "app/frame_loop.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

void pushKeys(std::initializer_list<SDLKey> keys) {
    for (SDLKey sym : keys) {
        SDL_Event e = {};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        SDL_PushEvent(&e);
        e.type = SDL_KEYUP;
        SDL_PushEvent(&e);
    }
}

// A click on the cell, in the pixels the display hands the game: the window's own unless
// the SDL 1.2 layer maps them to the 320x240 picture itself.
void pushClickOnCell(int cell) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x =
        static_cast<Uint16>(game.displayOffsetX + (107 + 20 * (cell % 10)) * game.displayScale);
    e.button.y =
        static_cast<Uint16>(game.displayOffsetY + (29 + 20 * (cell / 10)) * game.displayScale);
    SDL_PushEvent(&e);
}

// A whole match through the real frame loop, headless, driven by pushed input only. It runs
// where there is no data at all, so it also proves the game copes without it.
TEST(FrameLoopTest, ScriptedMatchFromTitleBackToTitleAndOut) {
    resetGame();
    std::string dir = makeTempDir();
    {
        ScopedChdir inTemp(dir);
        char prog[] = "vesperalia";
        char* argv[] = {prog};
        ASSERT_EQ(startGame(1, argv), 0);
        std::srand(1234);
        pushKeys({SDLK_DOWN, SDLK_DOWN, SDLK_LEFT, SDLK_LEFT, SDLK_UP, SDLK_UP, SDLK_SPACE});
        runFrame(false);
        ASSERT_EQ(game.winsNeeded, 1);
        ASSERT_EQ(game.screen, Play);
        ASSERT_EQ(game.gameMode, 1);

        // Runs of frames that start on the same screen.
        std::vector<std::pair<int, int>> runs;
        bool firstClick = true;
        for (int f = 0; f < 2000 && (runs.size() < 2 || game.screen != Title); ++f) {
            if (game.screen == Play && humanTurn()) {
                int t = targetIndex(); // the first try misses, so a search shows too
                pushClickOnCell(firstClick ? (t == 0 ? 99 : 0) : t);
                firstClick = false;
            }
            int before = game.screen;
            runFrame(false);
            if (runs.empty() || runs.back().first != before) runs.push_back({before, 0});
            runs.back().second++;
        }
        ASSERT_EQ(game.screen, Title);
        int seen[6] = {};
        // The first opening frame is drawn in the frame of the reveal; a search takes 50
        // animation frames and one more call that passes the turn.
        const int length[6] = {0, 1, 15, 51, 50, 201};
        for (auto [screen, frames] : runs) {
            ASSERT_TRUE(screen >= Play && screen <= MatchEnd) << screen;
            EXPECT_EQ(frames, length[screen]) << "screen " << screen;
            ++seen[screen];
        }
        EXPECT_GE(seen[Opening], 2);
        EXPECT_GE(seen[Searching], 1);
        EXPECT_EQ(seen[Found], 1);
        EXPECT_EQ(seen[MatchEnd], 1);
        EXPECT_EQ(game.shortMatchWins, game.scorePlayer1);

        pushKeys({SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_SPACE});
        runFrame(false);
        EXPECT_EQ(game.quitRequested, 1);
        releaseGame();
    }
    removeTree(dir);
}

} // namespace
