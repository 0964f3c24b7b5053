#pragma once
#include <cstddef>

// The Notifier's art, compiled in from notify/notifier_font.ttf, notify/badge.bmp and
// notify/cap.bmp by the build (notify/embed.cmake), so the game needs no file for it.
extern const unsigned char notifierFontBytes[];
extern const std::size_t notifierFontBytesCount;
extern const unsigned char badgeBitmapBytes[];
extern const std::size_t badgeBitmapBytesCount;
extern const unsigned char capBitmapBytes[];
extern const std::size_t capBitmapBytesCount;
