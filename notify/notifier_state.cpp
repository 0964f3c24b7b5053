#include "notify/notifier_state.h"

std::deque<NotifyMessage> messageQueue;
int notifierStarted = 0;
TTF_Font* notifierFont = nullptr;
SDL_Surface* capImage = nullptr;
SDL_Surface* badgeImage = nullptr;
SDL_Surface* notifierTarget = nullptr;

void resetNotifier() {
    messageQueue.clear();
    notifierStarted = 0;
    if (badgeImage) SDL_FreeSurface(badgeImage);
    if (capImage) SDL_FreeSurface(capImage);
    // Only a font that TTF opened can be closed, and only while TTF is up.
    if (notifierFont && TTF_WasInit()) TTF_CloseFont(notifierFont);
    badgeImage = capImage = nullptr;
    notifierFont = nullptr;
    notifierTarget = nullptr;
}
