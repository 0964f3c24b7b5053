#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/frame_loop.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

// Giving up the match in the frame of an opening: the opening was first, so the frame
// belongs to it. Leaving there used to skip the scoring of the reveal while its
// animation still brought the match back.
namespace {

void pushKeyDown(SDLKey sym) {
    SDL_Event e = keyEvent(sym);
    SDL_PushEvent(&e);
}

// A match against the computer with the cursor on the target, or on another coffin.
void startPvcMatchOn(bool target) {
    testScreen();
    resetGame();
    drainEvents();
    std::srand(11);
    game.winsNeeded = 3;
    game.gameMode = 1;
    game.screen = Play;
    startMatch();
    int cell = target ? targetIndex() : (targetIndex() == 0 ? 99 : 0);
    game.cursorRow = cell / 10;
    game.cursorCol = cell % 10;
}

TEST(DropAfterOpeningTest, TheOpeningOfTheFrameWinsOverGivingUp) {
    // The target: its point is scored and the round goes on to its Found pause.
    startPvcMatchOn(true);
    int t = targetIndex();
    pushKeyDown(SDLK_SPACE);
    pushKeyDown(SDLK_RCTRL);
    pushKeyDown(SDLK_SPACE); // would start a new match from the title
    runFrame(false);
    EXPECT_EQ(game.screen, Opening);
    EXPECT_EQ(game.scorePlayer1, 1);
    EXPECT_EQ(targetIndex(), t);
    for (int f = 0; f < 20 && game.screen == Opening; ++f)
        runFrame(false);
    EXPECT_EQ(game.screen, Found);

    // Another coffin: the turn runs its course, and a later Right Ctrl gives up.
    startPvcMatchOn(false);
    pushKeyDown(SDLK_SPACE);
    pushKeyDown(SDLK_RCTRL);
    runFrame(false);
    EXPECT_EQ(game.screen, Opening);
    EXPECT_EQ(game.scorePlayer1 + game.scorePlayer2, 0);
    for (int f = 0; f < 100 && game.screen != Play; ++f)
        runFrame(false); // the opening and the search: 66 frames
    pushKeyDown(SDLK_RCTRL);
    runFrame(false);
    EXPECT_EQ(game.screen, Title);
}

} // namespace
