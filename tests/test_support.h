#pragma once
#include <SDL.h>
#include <string>

// Shared helpers for the tests: a headless 320x240 16-bit screen, a clean game
// state and scratch directories.

// Opens SDL (dummy drivers) and the video mode once per process; sets screenSurface.
SDL_Surface* testScreen();
// Puts the GameState, the frame values and the title animation back to their start values.
void resetGame();
// Pixel value of the 16-bit screen at (x, y).
Uint16 pixelAt(SDL_Surface* s, int x, int y);
// Input events as SDL delivers them.
SDL_Event keyEvent(SDLKey sym, bool down = true);
SDL_Event clickEvent(int x, int y); // left button released at window pixel (x, y)
// Empties SDL's queue, so a case starts with no input left over from another.
void drainEvents();
// A fresh empty directory under /tmp, removed by the caller with removeTree.
std::string makeTempDir();
void removeTree(const std::string& dir);
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// Runs the body with the working directory changed, then changes back.
struct ScopedChdir {
    explicit ScopedChdir(const std::string& dir);
    ~ScopedChdir();
    std::string previous;
};
