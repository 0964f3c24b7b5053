#pragma once
#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

// Every picture of the game, loaded once from "data/"; a handle whose file did
// not load is null and draws nothing. Arrays are numbered as their files are.
struct ImageCatalogue {
    SDL_Surface* fondo;         // background of every board screen
    SDL_Surface* title;         // title background
    SDL_Surface* titleClouds;   // title cloud layer, repeats every 320 pixels
    SDL_Surface* end;           // loaded, drawn nowhere
    SDL_Surface* vs;            // loaded, drawn nowhere
    SDL_Surface* pvc;           // menu item 0, player against computer
    SDL_Surface* pvcSelected;   // the same, selected
    SDL_Surface* pvp;           // menu item 1, player against player
    SDL_Surface* pvpSelected;   // the same, selected
    SDL_Surface* scoreback;     // plate behind a digit
    SDL_Surface* selection;     // loaded, drawn nowhere
    SDL_Surface* player[4];     // portraits 1 (player 1), 2 (second human), 3 (computer)
    SDL_Surface* digit[10];     // digits 0..9
    SDL_Surface* coffin[13];    // coffins 1..12 in their states and frames
    SDL_Surface* coffinShadow;  // shadow under every coffin
    SDL_Surface* cursor;        // board cursor, keyed at pixel value 1
    SDL_Surface* help;          // loaded, drawn nowhere
    SDL_Surface* left;          // menu item 2, left arrow
    SDL_Surface* leftSelected;  // the same, selected
    SDL_Surface* right;         // menu item 2, right arrow
    SDL_Surface* rightSelected; // the same, selected
    SDL_Surface* exit;          // menu item 3, leave the game
    SDL_Surface* exitSelected;  // the same, selected
};

// The four sound chunks; null when missing or when there is no audio device.
struct SoundCatalogue {
    Mix_Chunk* openSound;   // a lid's creak
    Mix_Chunk* clapSound;   // applause at a match's end
    Mix_Chunk* ohhSound;    // the crowd's gasp at a find
    Mix_Chunk* searchSound; // rummaging in a searched coffin
};

extern ImageCatalogue images;
extern SoundCatalogue sounds;
extern TTF_Font* gameFont;         // "data/ruveridovo.ttf" at size 8; never closed
extern SDL_Surface* screenSurface; // the 320x240 16-bit surface every screen is drawn on

void loadImages();
void freeImages();
void loadSounds();
void freeSounds();
