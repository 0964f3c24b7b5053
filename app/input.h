#pragma once
#include <SDL.h>

// Turns one SDL event into game actions on the screen current at that moment.
void handleEvent(const SDL_Event& event);
