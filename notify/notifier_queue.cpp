#include "notify/notifier.h"

#include <cstring>
#include <utility>

namespace {
const std::size_t lineLimit = 48; // characters of the first body line
const Uint32 riseTime = 150;      // badge rising out of the bottom edge
const Uint32 growTime = 150;      // bar opening outwards
const Uint32 standTime = 2150;    // each of heading and body
const Uint32 fallTime = 200;      // bar sinking back
} // namespace

void wrapBody(const char* text, std::string& line1, std::string& line2) {
    if (!text) return;
    std::size_t length = std::strlen(text);
    if (length <= lineLimit) {
        line1 = text;
        return;
    }
    // Break at the last blank that still leaves the first line within the limit; a blank at
    // the very start would leave it empty, so position 0 never counts.
    for (std::size_t p = lineLimit; p >= 1; --p) {
        if (text[p] == ' ') {
            line1.assign(text, p);
            line2.assign(text + p + 1);
            return;
        }
    }
}

void notify(int item, int points, const char* title, const char* body) {
    NotifyMessage m;
    m.item = item;
    m.points = points;
    m.start = SDL_GetTicks();
    m.riseEnd = riseTime;
    m.growEnd = riseTime + growTime;
    if (title) m.heading = title;
    m.titleEnd = m.growEnd + (m.heading.empty() ? 0 : standTime);
    wrapBody(body, m.line1, m.line2);
    m.bodyEnd = m.titleEnd + (m.line1.empty() ? 0 : standTime);
    m.fallEnd = m.bodyEnd + fallTime;
    messageQueue.push_back(std::move(m));
}
