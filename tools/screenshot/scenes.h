#pragma once
#include <SDL.h>

// Moments of the game set up and drawn as the game draws them, for the screenshot program
// and for the test that holds the documentation's pictures to the current drawing.

enum Scene : int {
    SceneTitle = 0,  // the title menu with the banner scrolling in
    SceneMatch = 1,  // a match against the computer, hints showing, the cursor waiting
    SceneUnlock = 2, // the vampire found, an item's unlock message standing on the board
    // Every other screen, for holding what the libraries show against each other:
    SceneTitleMessage = 3, // the title with a message standing
    SceneOpening = 4,      // a lid half way open
    SceneSearching = 5,    // a search inside a coffin, part way
    SceneFound = 6,        // the vampire found, no message
    SceneMatchEnd = 7,     // the match won, the loser half faded
};
const int sceneCount = 8;

// The scene a name such as "title" names; false for any other name.
bool sceneNamed(const char* name, Scene& scene);
// The file name the documentation uses for a scene ("title" for SceneTitle, ...).
const char* sceneName(Scene scene);

// Draws the scene on screenSurface. Needs the game started (images, fonts, the language
// table) in English and the Notifier set up on screenSurface; leaves the game state and
// the Notifier's queue as the scene made them.
void drawScene(Scene scene);

// screenSurface enlarged scale times (1 to 8) by the game's own presentation, on a new
// 32-bit surface as a desktop window in that format shows it; null when SDL cannot make
// it. The caller frees it.
SDL_Surface* enlargedScreen(int scale);
