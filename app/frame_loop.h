#pragma once
#include <cstdint>

// Sets fullscreenFlag and scanlines from the command line; other arguments are ignored.
void parseArguments(int argc, char** argv);
// Brings up SDL, the font, the mixer and every subsystem's data. Returns 0 when the
// game can run, 1 when SDL or the video mode could not be started.
int startGame(int argc, char** argv);
// One pass of the frame loop; pacing is its own step so a test can run frames back to back.
void runFrame(bool pace);
// Milliseconds to wait when the frame's work took elapsed milliseconds (16 ms budget).
uint32_t frameDelayFor(uint32_t elapsed);
void paceFrame();
// Releases the Notifier, the images and the sounds, then saves the Results.
void releaseGame();
// Hands the device back to its menu program; returns 0 only if that fails.
int handOverToMenu();
