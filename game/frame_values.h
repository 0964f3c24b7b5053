#pragma once
#include <cstdint>

// Values the frame loop keeps for the duration of a frame, shared by the input
// handling and the Play step.
struct FrameValues {
    uint32_t lastFrameTicks = 0;   // SDL_GetTicks when the previous frame was presented
    int32_t frameRevealResult = 1; // state of the coffin opened in this frame; Closed = none
    int32_t openedThisFrame = 0;   // 1 once a coffin was opened in this frame; the first wins
    int32_t holdUp = 0;            // up is held on the Play screen
    int32_t holdDown = 0;          // down is held
    int32_t holdLeft = 0;          // left is held
    int32_t holdRight = 0;         // right is held
    int32_t repeatCountdown = 0;   // frames until the held directions move the cursor
};

extern FrameValues frame;

void resetFrameValues();
// End of a frame: nothing has been opened in the next one yet.
void clearFrameOpening();

// Cursor auto-repeat, once per Play frame before anything else.
void autoRepeatStep();
// A direction press on the Play screen: dir 0 up, 1 down, 2 left, 3 right.
void pressDirection(int dir);
// Releasing any one direction stops all of them.
void releaseAllDirections();
