#pragma once
#include <cstdint>
#include <string>

// What differs between the handheld and a desktop. Each target compiles exactly one
// file of app/platform/ that answers these; everything else is the same code.

// What a pad button means, whichever pad it is.
enum PadRole : int32_t {
    PadNothing = 0,
    PadUp,
    PadDown,
    PadLeft,
    PadRight,
    PadFace, // opens, or activates a menu item
    PadStart,
    PadVolumeUp,
    PadVolumeDown,
};

// The pad numberings the game knows; GameState keeps the one in use.
enum PadLayout : int32_t {
    PadLayoutHandheld = 0, // the handheld's own pad as joystick 0
    PadLayoutDesktop = 1,  // a common desktop game pad: face buttons 0-3, hat for directions
    PadLayoutKeysOnly = 2, // the pad arrives as keys through a mapper; its own events are ignored
};

// How the 320x240 picture reaches the screen.
struct DisplayPlan {
    int32_t scale;   // each game pixel becomes a scale x scale block
    int32_t width;   // video mode width in pixels
    int32_t height;  // video mode height in pixels
    int32_t offsetX; // left border before the picture
    int32_t offsetY; // top border before the picture
    uint32_t flags;  // SDL_SetVideoMode flags
    int32_t depth;   // bits per pixel asked of SDL: 16, or 0 for the display's own format
};

// The video mode for this target. desktopW and desktopH are the desktop's size as SDL
// reports it before any mode is set (0 when unknown), forcedScale is 1..8 from "-scale",
// or 0 when not given.
DisplayPlan platformDisplayPlan(int desktopW, int desktopH, int forcedScale,
                                uint32_t fullscreenFlag);
// Whether the system pointer shows over the game.
bool platformShowsPointer();
// The registry's base when VESPERALIA_EXP_BASE does not name one; ends in "/".
std::string platformRegistryBase();
PadLayout platformPadLayout();
// Last chance to steer SDL before it starts (the desktop keeps a machine without a sound
// card from printing the audio library's complaints).
void platformBeforeSdlInit();

// Shared by the platforms, and tested on every target.

// Largest scale whose window fits in 90 % of the desktop, 1 to 8; 1 when the size is unknown.
int windowScaleFor(int desktopW, int desktopH);
// Largest scale at which the picture fits the whole screen, at least 1.
int fullscreenScaleFor(int screenW, int screenH);
// A window of 320 x 240 x scale, or the whole screen with the picture centred.
DisplayPlan windowPlan(int scale);
DisplayPlan fullscreenPlan(int screenW, int screenH);
// A resizable window the player made w x h (at least 320 x 240): the picture centred at
// the largest whole scale that fits, with black borders.
DisplayPlan resizedWindowPlan(int w, int h);
// The value of "-scale N" (1..8), or 0 when absent or malformed; the last good one wins.
int parseScaleArgument(int argc, char** argv);
// VESPERALIA_EXP_BASE when it is an absolute path ending in "/", else platformRegistryBase().
std::string registryBaseDir();
bool isUsableRegistryBase(const char* value);
