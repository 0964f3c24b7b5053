#pragma once
#include <cstdint>

#include "app/platform.h"

// The desktop's window and full screen: what a switch between them needs to know.
struct VideoModeState {
    int32_t desktopW = 0;     // the desktop's width before the first mode was set; 0 when unknown
    int32_t desktopH = 0;     // the desktop's height, likewise
    int32_t forcedScale = 0;  // "-scale N" (1..8), 0 when not given
    int32_t windowW = 0;      // the window's width when it was last a window; 0 before that
    int32_t windowH = 0;      // the window's height, likewise
    DisplayPlan shown = {};   // the picture as the screen shows it: scale, borders, size, mode
    uint32_t settleUntil = 0; // SDL ticks until which the layer's window keeps the size asked
};

extern VideoModeState videoMode;

// Back to the values before start-up (tests use it between cases).
void resetVideoMode();
// Sets the plan's video mode and makes the 320x240 surface every screen is drawn on: at
// scale 1 without borders the video surface itself, else a 16-bit surface of its own that
// outlives mode changes. On the SDL 1.2 layer over SDL2 an enlarged picture without
// scanlines is a 320x240 mode that the layer shows in the plan's blocks and borders, drawn
// on directly. The Notifier follows the screen surface. False when SDL sets no mode.
bool openDisplay(const DisplayPlan& plan);
// The first mode, from the desktop's size (read here, before any mode is set), the
// "-scale" value and the "-fullscreen" switch.
bool openFirstDisplay(int forcedScale);
// Alt+Enter, F11: from the window to full screen and back, by the rules of "-fullscreen"
// and of the window; the window comes back at the size it had. Nothing else changes.
void toggleFullscreen();
// The player resized or maximised the window to w x h.
void resizeWindow(int w, int h);
