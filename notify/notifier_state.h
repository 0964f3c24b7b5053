#pragma once
#include <SDL.h>
#include <SDL_ttf.h>
#include <deque>
#include <string>

// One queued Notifier message with its own timeline, in milliseconds after start.
struct NotifyMessage {
    Sint32 item;         // item number (0 for the login greeting); carried, not drawn
    Sint32 points;       // points the item is worth; carried, not drawn
    std::string heading; // the title, empty when none was given
    std::string line1;   // first line of the wrapped body, empty when there is none
    std::string line2;   // rest of the body after the wrap, empty when it fitted on one line
    Uint32 start;        // SDL_GetTicks when the animation began; reset on reaching the front
    Uint32 riseEnd;      // the badge has risen out of the bottom edge
    Uint32 growEnd;      // the bar has opened outwards from the centre
    Uint32 titleEnd;     // the heading has stood
    Uint32 bodyEnd;      // the body lines have stood
    Uint32 fallEnd;      // the bar has sunk; the message leaves the queue after this
};

extern std::deque<NotifyMessage> messageQueue; // first in, first out; the front one is on screen
extern int notifierStarted;                    // 1 once the first frame has drawn the overlay
extern TTF_Font* notifierFont;                 // embedded pixel font at size 8; owned
extern SDL_Surface* capImage;                  // 2x24 right end of the bar; owned
extern SDL_Surface* badgeImage;                // 24x24 left end of the bar; owned
extern SDL_Surface* notifierTarget;            // where the overlay is drawn (the screen); not owned

// Empties the queue, clears the start flag and releases every handle, as before start-up.
void resetNotifier();
