#include "notify/notifier.h"

void setupNotifier(SDL_Surface*) {}
void shutdownNotifier() {}
void notify(int, int, const char*, const char*) {}
void drawNotifier() {}
