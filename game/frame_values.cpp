#include "game/frame_values.h"

#include "game/game_state.h"

FrameValues frame;

void resetFrameValues() {
    frame = FrameValues();
}

void clearFrameOpening() {
    frame.frameRevealResult = 1; // Closed
    frame.openedThisFrame = 0;
}

void autoRepeatStep() {
    if (frame.repeatCountdown > 0) frame.repeatCountdown -= 1;
    if (frame.repeatCountdown != 0) return;
    // Every held direction moves together: opposite ones cancel, crossing ones go diagonal.
    if (frame.holdUp && game.cursorRow > 0) {
        game.cursorRow -= 1;
        frame.repeatCountdown = 5;
    }
    if (frame.holdDown && game.cursorRow < 9) {
        game.cursorRow += 1;
        frame.repeatCountdown = 5;
    }
    if (frame.holdLeft && game.cursorCol > 0) {
        game.cursorCol -= 1;
        frame.repeatCountdown = 5;
    }
    if (frame.holdRight && game.cursorCol < 9) {
        game.cursorCol += 1;
        frame.repeatCountdown = 5;
    }
}

void pressDirection(int dir) {
    if (!humanTurn()) return;
    int32_t* flags[4] = {&frame.holdUp, &frame.holdDown, &frame.holdLeft, &frame.holdRight};
    if (dir < 0 || dir > 3) return;
    *flags[dir] = 1;
    if (frame.repeatCountdown == 0) frame.repeatCountdown = 5;
}

void releaseAllDirections() {
    frame.holdUp = 0;
    frame.holdDown = 0;
    frame.holdLeft = 0;
    frame.holdRight = 0;
    frame.repeatCountdown = 0;
}
