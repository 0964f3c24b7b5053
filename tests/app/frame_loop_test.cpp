#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include "app/frame_loop.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "tests/test_support.h"

namespace {

void pushKey(SDLKey sym) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    SDL_PushEvent(&e);
}

void pushClickOnCell(int cell) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(100 + 20 * (cell % 10) + 7);
    e.button.y = static_cast<Uint16>(20 + 20 * (cell / 10) + 9);
    SDL_PushEvent(&e);
}

struct ScreenRun {
    int screen;
    int frames;
};

// A whole match played through the real frame loop, headless, with pushed input only;
// it runs where there is no data at all, so it also proves the game copes without it.
TEST(FrameLoopTest, ScriptedMatchFromTitleBackToTitleAndOut) {
    resetGame();
    std::string dir = makeTempDir();
    {
        ScopedChdir inTemp(dir);
        char prog[] = "vesperalia";
        char* argv[] = {prog};
        ASSERT_EQ(startGame(1, argv), 0);
        std::srand(1234);

        // Choose a one-point match against the computer.
        pushKey(SDLK_DOWN);
        pushKey(SDLK_DOWN);
        pushKey(SDLK_LEFT);
        pushKey(SDLK_LEFT);
        pushKey(SDLK_UP);
        pushKey(SDLK_UP);
        runFrame(false);
        EXPECT_EQ(game.winsNeeded, 1);
        EXPECT_EQ(game.menuSelection, 0);
        pushKey(SDLK_SPACE);
        runFrame(false);
        ASSERT_EQ(game.screen, Play);
        ASSERT_EQ(game.gameMode, 1);

        std::vector<ScreenRun> runs;
        bool firstClick = true;
        for (int f = 0; f < 2000 && !(runs.size() > 1 && game.screen == Title); ++f) {
            if (game.screen == Play && humanTurn()) {
                // The first try misses on purpose, so the search animation shows too.
                int t = targetIndex();
                pushClickOnCell(firstClick ? (t == 0 ? 99 : 0) : t);
                firstClick = false;
            }
            int before = game.screen;
            runFrame(false);
            if (runs.empty() || runs.back().screen != before)
                runs.push_back({before, 1});
            else
                runs.back().frames++;
        }
        ASSERT_EQ(game.screen, Title);

        int openings = 0, searches = 0, found = 0, ends = 0;
        for (const ScreenRun& r : runs) {
            switch (r.screen) {
            case Opening: // the first animation frame is drawn in the frame of the reveal
                EXPECT_EQ(r.frames, 15);
                ++openings;
                break;
            case Searching: // 50 animation frames, then the call that passes the turn
                EXPECT_EQ(r.frames, 51);
                ++searches;
                break;
            case Found:
                EXPECT_EQ(r.frames, 50);
                ++found;
                break;
            case MatchEnd:
                EXPECT_EQ(r.frames, 201);
                ++ends;
                break;
            case Play:
                EXPECT_EQ(r.frames, 1);
                break; // human clicks and computer moves at once
            default:
                ADD_FAILURE() << "unexpected screen " << r.screen;
            }
        }
        EXPECT_GE(openings, 2);
        EXPECT_GE(searches, 1);
        EXPECT_EQ(found, 1);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(game.scorePlayer1 + game.scorePlayer2, 1);
        EXPECT_EQ(game.shortMatchWins, game.scorePlayer1);

        // The exit item ends the loop after the current frame.
        pushKey(SDLK_DOWN);
        pushKey(SDLK_DOWN);
        pushKey(SDLK_DOWN);
        pushKey(SDLK_SPACE);
        runFrame(false);
        EXPECT_EQ(game.menuSelection, 3);
        EXPECT_EQ(game.quitRequested, 1);
        releaseGame();
        EXPECT_EQ(sounds.openSound, nullptr);
    }
    removeTree(dir);
}

} // namespace
