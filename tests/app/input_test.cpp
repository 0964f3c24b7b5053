#include <gtest/gtest.h>

#include "app/input.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

void key(SDLKey sym, bool down = true) {
    handleEvent(keyEvent(sym, down));
}

void pad(int button, bool down = true) {
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = static_cast<Uint8>(button);
    handleEvent(e);
}

void click(int x, int y) {
    handleEvent(clickEvent(x, y));
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

// Escape leaves a match like Right Ctrl, does nothing on the timed screens, and on the title
// only points at the exit: leaving still takes a confirmation.
TEST_F(InputTest, EscapeStepsBackButNeverLeavesTheTitleByItself) {
    key(SDLK_ESCAPE);
    EXPECT_EQ(game.menuSelection, 3);
    key(SDLK_ESCAPE);
    EXPECT_EQ(game.menuSelection, 3);
    EXPECT_EQ(game.screen, Title);
    EXPECT_EQ(game.quitRequested, 0);

    for (int screen : {Opening, Searching, Found, MatchEnd}) {
        startMatch();
        game.screen = screen;
        key(SDLK_ESCAPE);
        EXPECT_EQ(game.screen, screen);
    }
    startMatch();
    game.screen = Play;
    game.board.target = 0;
    click(150, 75); // an opening: the rest of the frame belongs to it, as with Right Ctrl
    key(SDLK_ESCAPE);
    EXPECT_EQ(game.screen, Play);
    clearFrameOpening();
    game.revealFramesLeft = 0;
    game.currentPlayer = 2; // also during the computer's turn
    key(SDLK_ESCAPE);
    EXPECT_EQ(game.screen, Title);
}

} // namespace

namespace {

TEST_F(InputTest, VolumeKeysOfEveryLayoutWorkOnEveryScreen) {
    game.screen = Opening;
    key(SDLK_MINUS);
    key(SDLK_KP_MINUS);
    EXPECT_EQ(game.volume, 100);
    key(SDLK_EQUALS); // the +/= key of US and UK keyboards, with or without Shift
    EXPECT_EQ(game.volume, 110);
    key(SDLK_KP_PLUS);
    EXPECT_EQ(game.volume, 120);
    EXPECT_EQ(game.screen, Opening);
}

TEST_F(InputTest, LosingFocusReleasesHeldDirectionsButMouseFocusDoesNot) {
    startMatch();
    game.screen = Play;
    key(SDLK_RIGHT);
    key(SDLK_UP);
    SDL_Event e = {};
    e.type = SDL_ACTIVEEVENT;
    e.active.gain = 0;
    e.active.state = SDL_APPMOUSEFOCUS; // the pointer left the window: keys still held
    handleEvent(e);
    EXPECT_EQ(frame.holdRight, 1);
    e.active.state = SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS;
    handleEvent(e);
    EXPECT_EQ(frame.holdRight + frame.holdUp + frame.repeatCountdown, 0);
    playFrames(30);
    EXPECT_EQ(game.cursorCol, 5);
}

TEST_F(InputTest, PadLayouts) {
    game.padLayout = PadLayoutDesktop;
    pad(0); // a desktop pad's A activates
    EXPECT_EQ(game.screen, Play);
    pad(5);
    EXPECT_EQ(game.volume, 120);
    pad(4);
    EXPECT_EQ(game.volume, 110);
    SDL_Event hat = {};
    hat.type = SDL_JOYHATMOTION;
    hat.jhat.value = SDL_HAT_RIGHTDOWN;
    handleEvent(hat);
    EXPECT_EQ(frame.holdRight + frame.holdDown, 2);
    hat.jhat.value = SDL_HAT_CENTERED;
    handleEvent(hat);
    EXPECT_EQ(frame.holdRight + frame.holdDown, 0);
    pad(7); // Start
    EXPECT_EQ(game.screen, Title);

    game.padLayout = PadLayoutKeysOnly; // the pad arrives as keys: its own events are ignored
    pad(12);
    pad(16);
    handleEvent(hat);
    EXPECT_EQ(game.screen, Title);
    EXPECT_EQ(game.volume, 110);
}

} // namespace
