#pragma once
#include <cstdint>

#include "game/board.h"

// The screens of the game's state machine.
enum Screen : int32_t {
    Title = 0,     // title menu
    Play = 1,      // waiting for a move
    Opening = 2,   // coffin opening animation
    Searching = 3, // search animation on a searched coffin
    Found = 4,     // pause after the target was found
    MatchEnd = 5,  // result screen
};

// The computer's open interval (low, high) of indices that may still hold the target.
struct TargetRange {
    int32_t low;  // every index <= low is ruled out
    int32_t high; // every index >= high is ruled out

    TargetRange() : low(-1), high(100) {}
    void reset();
    void raiseLow(int i);
    void lowerHigh(int i);
    int pick();                // uniform pick strictly inside the interval, one rand()
    bool hasCandidate() const; // a Closed or Jammed cell lies strictly inside
};

// A rectangle with the field widths of SDL_Rect, kept SDL-free for the rules.
struct EndRect {
    int16_t x;  // left edge
    int16_t y;  // top edge
    uint16_t w; // width, never set by the game
    uint16_t h; // height, never set by the game
};

// The one process-wide record of the game.
struct GameState {
    // Settings and shell
    int32_t gameMode = 1;        // 1 player against computer ("pvc"), 2 player against player
    int32_t winsNeeded = 3;      // points that win a match, 1..9
    int32_t volume = 120;        // mixer volume 0..120 in steps of 10
    int32_t displayScale = 1;    // each game pixel is a displayScale square on screen
    int32_t displayOffsetX = 0;  // left border before the picture (full screen, resized window)
    int32_t displayOffsetY = 0;  // top border before the picture
    uint32_t fullscreenFlag = 0; // SDL_FULLSCREEN while the whole screen is used, else 0
    int32_t scanlines = 0;       // 1 when "-scanlines" was given: darkened rows when scaled
    int32_t padLayout = 0;       // PadLayout of the pad in use; the handheld's at start
    int32_t screen = Title;      // the current Screen
    int32_t menuSelection = 0;   // title item: 0 pvc, 1 pvp, 2 winsNeeded, 3 exit
    int32_t quitRequested = 0;   // nonzero ends the frame loop

    // The match
    int32_t currentPlayer = 1; // whose turn it is: 1 or 2
    int32_t scorePlayer1 = 0;  // rounds won by player 1 in this match
    int32_t scorePlayer2 = 0;  // rounds won by player 2 (the computer in pvc)
    int32_t cursorRow = 5;     // board cursor row 0..9
    int32_t cursorCol = 5;     // board cursor column 0..9
    Board board;               // the field of coffins
    TargetRange cpuRange;      // the computer's interval, narrowed by every hint in pvc

    // Round tracking, for the achievements
    int32_t roundOpenings = 0;      // openings made by human players in this round
    int32_t openedBeforeTarget = 0; // a human opened the cell target - 1 this round
    int32_t openedAfterTarget = 0;  // a human opened the cell target + 1 this round
    int32_t higherHintSeen = -1;    // 1 once a human got HintHigher this round (pvc)
    int32_t lowerHintSeen = -1;     // 1 once a human got HintLower this round (pvc)

    // Results: pvc match wins of player 1 by match length
    int32_t shortMatchWins = 0;  // winsNeeded 1..3
    int32_t mediumMatchWins = 0; // winsNeeded 4..6
    int32_t longMatchWins = 0;   // winsNeeded 7..9

    // Timed screens
    int32_t revealCell = -1;               // cell of the opening animation, -1 when none
    int32_t revealFramesLeft = 0;          // frames left of the opening animation (15 at start)
    int32_t revealFromJammed = 0;          // the cell was Jammed before this opening
    int32_t searchCell = -1;               // cell of the search animation, -1 when none
    int32_t searchFramesLeft = 0;          // frames left of the search animation (50 at start)
    int32_t searchFrame = 0;               // search animation image 0..3
    int32_t searchFrameTicks = 3;          // frames until searchFrame advances (6 at start)
    int32_t foundFramesLeft = 0;           // frames left of the pause after a find (50 at start)
    int32_t endFadeAlpha = 255;            // alpha of the loser's images on the match-end screen
    int32_t endHoldFrames = 50;            // frames the match-end screen stays after its fade
    EndRect endRectPlayer1 = {0, 0, 0, 0}; // player 1's place on the match-end screen
    EndRect endRectPlayer2 = {0, 0, 0, 0}; // player 2's place on the match-end screen
};

extern GameState game;

// Put every field back to its value at program start (tests use it between cases).
void resetGameState();

// A human's turn: player 1, or player 2 in a two-player match.
bool humanTurn();

void startMatch();
void startRound();
void startOpening(int cell);
CellState openCell(int cell);
void playStep();
void passTurn();
void finishRound();
