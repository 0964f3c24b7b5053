#pragma once
#include <SDL.h>

#include "app/platform.h"

// Turns one SDL event into game actions on the screen current at that moment.
void handleEvent(const SDL_Event& event);

// What a pad button means in the pad layout of GameState.
PadRole padRole(int button);
