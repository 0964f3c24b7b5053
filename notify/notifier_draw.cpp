#include "notify/notifier.h"

namespace {
// Where the standing bar sits on the 320x240 screen.
const int barTop = 210;
const int barHeight = 24;
const int badgeLeft = 24;
const int fillLeft = 46;
const int fillWidth = 248;
const int capLeft = 294;
const int textLeft = 50;

void blitImage(SDL_Surface* image, int x, int y) {
    if (!image || !notifierTarget) return;
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(image, nullptr, notifierTarget, &at);
}

void fillBar(int x, int y, int width) {
    if (!notifierTarget) return;
    SDL_Rect r = {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(width),
                  static_cast<Uint16>(barHeight)};
    SDL_FillRect(notifierTarget, &r, SDL_MapRGB(notifierTarget->format, 101, 143, 101));
}

void drawText(const std::string& text, int y) {
    drawNotifierText(notifierTarget, text.c_str(), textLeft, y, 255, 255, 0, notifierFont);
}

void drawBarAt(int y) {
    fillBar(fillLeft, y, fillWidth);
    blitImage(badgeImage, badgeLeft, y);
    blitImage(capImage, capLeft, y);
}
} // namespace

void drawNotifierText(SDL_Surface* surface, const char* text, int x, int y, int r, int g, int b,
                      TTF_Font* font) {
    // A font that failed to open, or no screen, leaves the text out.
    if (!text || !font || !surface) return;
    SDL_Color colour = {static_cast<Uint8>(r), static_cast<Uint8>(g), static_cast<Uint8>(b), 0};
    SDL_Surface* rendered = TTF_RenderText_Blended(font, text, colour);
    if (!rendered) return; // an empty text renders to nothing
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    SDL_UpperBlit(rendered, nullptr, surface, &at);
    SDL_FreeSurface(rendered);
}

void drawNotifier() {
    if (!notifierStarted) {
        // Messages queued during start-up begin with the first frame, not at queuing time.
        notifierStarted = 1;
        if (!messageQueue.empty()) messageQueue.front().start = SDL_GetTicks();
    }
    if (messageQueue.empty()) return;

    const NotifyMessage& m = messageQueue.front();
    Uint32 e = SDL_GetTicks() - m.start;
    if (e < m.riseEnd) {
        Uint32 y = 240 - e * 30 / m.riseEnd;
        blitImage(badgeImage, 148, static_cast<int>(y));
    } else if (e < m.growEnd) {
        Uint32 k = (e - m.riseEnd) * 124 / (m.growEnd - m.riseEnd);
        Uint32 x = 148 - k;
        fillBar(static_cast<int>(x + 22), barTop, static_cast<int>(296 - 2 * x));
        blitImage(badgeImage, static_cast<int>(x), barTop);
        blitImage(capImage, static_cast<int>(318 - x), barTop);
    } else if (e < m.titleEnd) {
        drawBarAt(barTop);
        drawText(m.heading, 208);
    } else if (e < m.bodyEnd) {
        drawBarAt(barTop);
        drawText(m.line1, 208);
        drawText(m.line2, 218);
    } else if (e < m.fallEnd) {
        int y = static_cast<int>(barTop + (e - m.bodyEnd) * 30 / (m.fallEnd - m.bodyEnd));
        drawBarAt(y);
        // On the sinking bar the texts ride two rows lower than when it stood.
        if (!m.line1.empty()) {
            drawText(m.line1, y);
            drawText(m.line2, y + 10);
        } else {
            drawText(m.heading, y);
        }
    } else {
        messageQueue.pop_front();
        if (!messageQueue.empty()) messageQueue.front().start = SDL_GetTicks();
    }
}
