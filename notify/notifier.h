#pragma once
#include <SDL.h>
#include <SDL_ttf.h>

// Placeholder until the Notifier lands: the queue is always empty.
void setupNotifier(SDL_Surface* target);
void shutdownNotifier();
void notify(int item, int points, const char* title, const char* body);
void drawNotifier();
