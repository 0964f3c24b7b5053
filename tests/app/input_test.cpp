#include <gtest/gtest.h>

#include "app/input.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

void key(SDLKey sym, bool down = true) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    handleEvent(e);
}

void pad(int button, bool down = true) {
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = static_cast<Uint8>(button);
    handleEvent(e);
}

void click(int x, int y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    handleEvent(e);
}

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testScreen();
        resetGame();
    }
    void playFrames(int n) {
        for (int i = 0; i < n; ++i) {
            playStep();
            clearFrameOpening();
        }
    }
};

TEST_F(InputTest, TitleMenuAndWinsNeededWrap) {
    key(SDLK_UP);
    EXPECT_EQ(game.menuSelection, 3);
    pad(4);
    EXPECT_EQ(game.menuSelection, 0);
    key(SDLK_RIGHT); // only on the setting's line
    EXPECT_EQ(game.winsNeeded, 3);
    game.menuSelection = 2;
    game.winsNeeded = 9;
    key(SDLK_RIGHT);
    EXPECT_EQ(game.winsNeeded, 1);
    pad(2);
    EXPECT_EQ(game.winsNeeded, 9);
    click(50, 170); // the arrows' rectangles
    click(50, 170);
    click(111, 189);
    EXPECT_EQ(game.winsNeeded, 8);
    key(SDLK_SPACE); // the setting itself does nothing, nor does Start
    pad(8);
    EXPECT_EQ(game.screen, Title);
    EXPECT_EQ(game.quitRequested, 0);
}

TEST_F(InputTest, MenuClickStartsAMatchButNeverOpensACoffin) {
    click(104, 110); // x 104 is also column 0 of the board
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.gameMode, 1);
    EXPECT_EQ(game.revealFramesLeft, 0);
    EXPECT_EQ(cellStateAt(40), Closed);

    SDL_Event quit = {};
    quit.type = SDL_QUIT; // closing the window leaves like the exit item
    handleEvent(quit);
    EXPECT_EQ(game.quitRequested, 1);
}

TEST_F(InputTest, AutoRepeatFirstStepInTheFourthPlayFrameAfterThePress) {
    startMatch();
    game.screen = Play;
    key(SDLK_RIGHT);
    playFrames(4); // the press frame and three more
    EXPECT_EQ(game.cursorCol, 5);
    playFrames(1);
    EXPECT_EQ(game.cursorCol, 6);
    playFrames(5);
    EXPECT_EQ(game.cursorCol, 7);
    playFrames(30);
    EXPECT_EQ(game.cursorCol, 9); // stops at the edge

    pad(0); // released within four frames: no move; any release stops all
    playFrames(2);
    pad(6, false);
    playFrames(10);
    EXPECT_EQ(game.cursorRow, 5);
}

TEST_F(InputTest, ClicksMapToCellsAndOpenOnlyOnAHumansTurn) {
    startMatch();
    game.screen = Play;
    game.board.target = 0;
    click(150, 75);
    EXPECT_EQ(game.cursorRow * 10 + game.cursorCol, 22);
    EXPECT_EQ(frame.frameRevealResult, HintLower);
    EXPECT_EQ(game.revealCell, 22);

    clearFrameOpening();
    game.revealFramesLeft = 0;
    click(155, 79); // an opened coffin: the cursor moves, nothing opens
    EXPECT_EQ(game.revealFramesLeft, 0);
    game.currentPlayer = 2; // the computer's turn: likewise
    click(299, 219);
    key(SDLK_SPACE);
    EXPECT_EQ(game.cursorRow * 10 + game.cursorCol, 99);
    EXPECT_EQ(cellStateAt(99), Closed);
    EXPECT_EQ(frame.frameRevealResult, Closed);

    pad(8); // Start leaves the match, also during the computer's turn
    EXPECT_EQ(game.screen, Title);
}

TEST_F(InputTest, TimedScreensTakeOnlyVolumeAndReleases) {
    startMatch();
    game.screen = Searching;
    frame.holdUp = 1;
    key(SDLK_SPACE);
    pad(12);
    pad(8);
    for (int i = 0; i < 13; ++i)
        key(SDLK_MINUS);
    EXPECT_EQ(game.volume, 0);
    pad(16);
    EXPECT_EQ(game.volume, 10);
    EXPECT_EQ(game.screen, Searching);
    EXPECT_EQ(game.revealFramesLeft, 0);
    key(SDLK_DOWN, false);
    EXPECT_EQ(frame.holdUp, 0);
}

} // namespace
