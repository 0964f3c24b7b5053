#include <gtest/gtest.h>

#include "app/frame_loop.h"
#include "app/input.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

SDL_Event key(SDLKey sym, bool down = true) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event pad(int button, bool down = true) {
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = static_cast<Uint8>(button);
    return e;
}

SDL_Event click(int x, int y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testScreen();
        resetGame();
    }
    // A Play frame without input: the auto-repeat and the Play step.
    void playFrame() {
        playStep();
        frame.frameRevealResult = Closed;
    }
};

TEST_F(InputTest, TitleMenuWrapsBothWays) {
    handleEvent(key(SDLK_UP));
    EXPECT_EQ(game.menuSelection, 3);
    handleEvent(key(SDLK_DOWN));
    EXPECT_EQ(game.menuSelection, 0);
    handleEvent(pad(0));
    EXPECT_EQ(game.menuSelection, 3);
    handleEvent(pad(4));
    handleEvent(pad(4));
    EXPECT_EQ(game.menuSelection, 1);
    handleEvent(pad(8)); // Start does nothing on the title
    EXPECT_EQ(game.screen, Title);
}

TEST_F(InputTest, WinsNeededChangesOnlyOnItsItemAndWraps) {
    handleEvent(key(SDLK_RIGHT));
    EXPECT_EQ(game.winsNeeded, 3);
    game.menuSelection = 2;
    game.winsNeeded = 9;
    handleEvent(key(SDLK_RIGHT));
    EXPECT_EQ(game.winsNeeded, 1);
    handleEvent(pad(2));
    EXPECT_EQ(game.winsNeeded, 9);
    handleEvent(key(SDLK_SPACE)); // activating the setting does nothing
    EXPECT_EQ(game.screen, Title);
    EXPECT_EQ(game.quitRequested, 0);
    // The click rectangles of the arrows.
    handleEvent(click(50, 170));
    EXPECT_EQ(game.winsNeeded, 8);
    handleEvent(click(111, 189));
    EXPECT_EQ(game.winsNeeded, 9);
}

TEST_F(InputTest, ActivatingStartsMatchesOrLeaves) {
    game.menuSelection = 1;
    handleEvent(pad(13));
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.gameMode, 2);
    game.screen = Title;
    game.menuSelection = 3;
    handleEvent(key(SDLK_SPACE));
    EXPECT_EQ(game.quitRequested, 1);

    resetGame();
    handleEvent(click(80, 200));
    EXPECT_EQ(game.quitRequested, 1);
    resetGame();
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    handleEvent(quit); // closing the window leaves like the exit item
    EXPECT_EQ(game.quitRequested, 1);
}

TEST_F(InputTest, MenuClickNeverOpensACoffin) {
    handleEvent(click(104, 110)); // x 104 would be column 0 of the board
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.gameMode, 1);
    EXPECT_EQ(frame.frameRevealResult, Closed);
    EXPECT_EQ(game.revealFramesLeft, 0);
    EXPECT_EQ(game.roundOpenings, 0);
    EXPECT_EQ(cellStateAt(40), Closed);
}

TEST_F(InputTest, AutoRepeatFirstStepInFourthPlayFrame) {
    startMatch();
    game.screen = Play;
    handleEvent(key(SDLK_RIGHT));
    int moves[20];
    for (int f = 0; f < 20; ++f) {
        playFrame();
        moves[f] = game.cursorCol;
    }
    // Frame 0 is the press frame; the fourth frame after it moves, then every fifth.
    EXPECT_EQ(moves[3], 5);
    EXPECT_EQ(moves[4], 6);
    EXPECT_EQ(moves[8], 6);
    EXPECT_EQ(moves[9], 7);
    EXPECT_EQ(moves[14], 8);
    EXPECT_EQ(moves[19], 9);
    for (int f = 0; f < 10; ++f)
        playFrame();
    EXPECT_EQ(game.cursorCol, 9); // stops at the edge

    // A release within four frames moves nothing; any release stops all directions.
    handleEvent(pad(0));
    playFrame();
    playFrame();
    handleEvent(pad(6, false));
    for (int f = 0; f < 10; ++f)
        playFrame();
    EXPECT_EQ(game.cursorRow, 5);

    // Crossing directions move together.
    handleEvent(key(SDLK_UP));
    handleEvent(key(SDLK_LEFT));
    for (int f = 0; f < 5; ++f)
        playFrame();
    EXPECT_EQ(game.cursorRow, 4);
    EXPECT_EQ(game.cursorCol, 8);
}

TEST_F(InputTest, ClicksMapToCellsWhoeverMoves) {
    startMatch();
    game.screen = Play;
    game.board.target = 0;
    handleEvent(click(150, 75));
    EXPECT_EQ(game.cursorRow, 2);
    EXPECT_EQ(game.cursorCol, 2);
    EXPECT_EQ(frame.frameRevealResult, HintLower);
    EXPECT_EQ(game.revealCell, 22);

    // On an opened coffin: cursor moves, nothing opens.
    frame.frameRevealResult = Closed;
    game.revealFramesLeft = 0;
    handleEvent(click(155, 79));
    EXPECT_EQ(frame.frameRevealResult, Closed);
    EXPECT_EQ(game.revealFramesLeft, 0);

    // During the computer's turn: cursor moves, nothing opens; outside the board nothing.
    game.currentPlayer = 2;
    handleEvent(click(299, 219));
    EXPECT_EQ(game.cursorRow, 9);
    EXPECT_EQ(game.cursorCol, 9);
    EXPECT_EQ(cellStateAt(99), Closed);
    handleEvent(click(300, 100));
    EXPECT_EQ(game.cursorCol, 9);
    EXPECT_EQ(frame.frameRevealResult, Closed);
    handleEvent(key(SDLK_SPACE));
    EXPECT_EQ(cellStateAt(99), Closed);
}

TEST_F(InputTest, StartReturnsToTitleEvenDuringTheComputersTurn) {
    startMatch();
    game.screen = Play;
    game.currentPlayer = 2;
    handleEvent(pad(8));
    EXPECT_EQ(game.screen, Title);
    game.screen = Play;
    handleEvent(key(SDLK_RCTRL));
    EXPECT_EQ(game.screen, Title);
}

TEST_F(InputTest, TimedScreensTakeOnlyVolumeAndReleases) {
    startMatch();
    game.screen = Searching;
    frame.holdUp = 1;
    frame.repeatCountdown = 3;
    handleEvent(key(SDLK_SPACE));
    handleEvent(pad(12));
    handleEvent(pad(8));
    handleEvent(key(SDLK_MINUS));
    handleEvent(pad(17));
    EXPECT_EQ(game.screen, Searching);
    EXPECT_EQ(game.revealFramesLeft, 0);
    EXPECT_EQ(game.volume, 100);
    handleEvent(key(SDLK_DOWN, false));
    EXPECT_EQ(frame.holdUp, 0);
    EXPECT_EQ(frame.repeatCountdown, 0);
}

TEST_F(InputTest, VolumeStepsAndSaturates) {
    for (int i = 0; i < 13; ++i)
        handleEvent(key(SDLK_MINUS));
    EXPECT_EQ(game.volume, 0);
    for (int i = 0; i < 11; ++i)
        handleEvent(pad(16));
    EXPECT_EQ(game.volume, 110);
    handleEvent(key(SDLK_PLUS));
    handleEvent(key(SDLK_PLUS));
    EXPECT_EQ(game.volume, 120);
}

TEST_F(InputTest, ArgumentsSetOnlyTheirFlags) {
    char prog[] = "vesperalia", full[] = "-fullscreen", scan[] = "-scanlines",
         longer[] = "-fullscreenx";
    char* onlyLonger[] = {prog, longer};
    parseArguments(2, onlyLonger);
    EXPECT_EQ(game.fullscreenFlag, 0u);
    char* both[] = {prog, scan, full, full};
    parseArguments(4, both);
    EXPECT_EQ(game.fullscreenFlag, 0x80000000u);
    EXPECT_EQ(game.scanlines, 1);
}

TEST_F(InputTest, FramePacingKeepsTheSixteenMillisecondBudget) {
    EXPECT_EQ(frameDelayFor(0), 16u);
    EXPECT_EQ(frameDelayFor(10), 6u);
    EXPECT_EQ(frameDelayFor(15), 1u);
    EXPECT_EQ(frameDelayFor(16), 1u);
    EXPECT_EQ(frameDelayFor(17), 0u);
    EXPECT_EQ(frameDelayFor(30), 0u);
}

} // namespace
