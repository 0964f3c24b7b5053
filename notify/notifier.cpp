#include "notify/notifier.h"

#include "notify/embedded_resources.h"

#include <cstdint>
#include <cstring>

// The loaders only read from the stream, so handing them the constant bytes is safe.
static SDL_RWops* streamOver(const unsigned char* bytes, int size) {
    if (!bytes || size <= 0) return nullptr;
    return SDL_RWFromMem(const_cast<unsigned char*>(bytes), size);
}

namespace {

int64_t le16(const unsigned char* b) {
    return b[0] | b[1] << 8;
}
int64_t le32(const unsigned char* b) {
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

// A colour mask that SDL can take apart: one run of at most 8 bits within the pixel.
bool usableMask(uint32_t mask, int64_t bitsPerPixel) {
    if (bitsPerPixel < 32 && mask >> bitsPerPixel != 0) return false;
    if (mask == 0) return true;
    while (!(mask & 1))
        mask >>= 1;
    int run = 0;
    for (; mask & 1; mask >>= 1)
        ++run;
    return mask == 0 && run <= 8;
}

// SDL's BMP reader trusts the header: a nonsense depth gives a surface that crashes the blit,
// and a palette or pixel rows beyond the end are read as whatever follows. So the header is
// checked first, field by field as SDL reads it, against the bytes actually given.
bool bitmapFits(const unsigned char* b, int size) {
    if (!b || size < 26 || b[0] != 'B' || b[1] != 'M') return false;
    const int64_t bytes = size;
    const int64_t pixelOffset = static_cast<uint32_t>(le32(b + 10));
    const int64_t headerSize = static_cast<uint32_t>(le32(b + 14));
    const bool core = headerSize == 12; // the old OS/2 header with 16-bit fields
    if (!core && headerSize < 40) return false;
    if (14 + headerSize > bytes) return false;
    int64_t width, height, bitsPerPixel, compression = 0, colours = 0;
    if (core) {
        width = le16(b + 18), height = le16(b + 20), bitsPerPixel = le16(b + 24);
    } else {
        width = le32(b + 18), height = le32(b + 22), bitsPerPixel = le16(b + 28);
        compression = static_cast<uint32_t>(le32(b + 30));
        colours = static_cast<uint32_t>(le32(b + 46));
    }
    if (height < 0) height = -height; // rows stored top-down
    if (width < 1 || height < 1) return false;
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    if (compression != 0 && compression != 3) return false; // no run-length data
    if (bitsPerPixel <= 8) {
        if (colours == 0) colours = int64_t(1) << bitsPerPixel;
        if (colours > int64_t(1) << bitsPerPixel) return false;
        if (14 + headerSize + colours * (core ? 3 : 4) > bytes) return false;
    } else if ((bitsPerPixel == 16 || bitsPerPixel == 32) &&
               (compression == 3 || pixelOffset != 14 + headerSize)) {
        // SDL then reads red, green and blue masks right after the 40-byte header.
        if (54 + 12 > bytes) return false;
        for (int i = 0; i < 3; ++i)
            if (!usableMask(static_cast<uint32_t>(le32(b + 54 + 4 * i)), bitsPerPixel))
                return false;
    }
    const int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (rowBytes > bytes || pixelOffset + rowBytes * height > bytes) return false;
    // A pixel naming a colour the file does not declare is damage, and libraries fill the
    // rest of the palette differently (black on SDL 1.2, white on SDL2 under sdl12-compat).
    if (bitsPerPixel <= 8 && colours < (int64_t(1) << bitsPerPixel)) {
        for (int64_t y = 0; y < height; ++y) {
            const unsigned char* row = b + pixelOffset + y * rowBytes;
            for (int64_t x = 0; x < width; ++x) {
                int64_t bit = x * bitsPerPixel;
                int v = (row[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1 << bitsPerPixel) - 1);
                if (v >= colours) return false;
            }
        }
    }
    return true;
}

} // namespace

SDL_Surface* loadKeyedBitmap(const unsigned char* bytes, int size, SDL_Surface* target) {
    if (!bitmapFits(bytes, size)) return nullptr;
    SDL_RWops* stream = streamOver(bytes, size);
    if (!stream) return nullptr;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (!loaded) return nullptr;
    SDL_Surface* image =
        SDL_CreateRGBSurface(SDL_SRCCOLORKEY, loaded->w, loaded->h, 16, 0, 0, 0, 0);
    if (image) {
        SDL_Rect whole = {0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};
        SDL_UpperBlit(loaded, &whole, image, nullptr);
        // The key is mapped as the screen maps magenta; without a target the copy's own
        // 5-6-5 format gives the same value.
        SDL_PixelFormat* keyFormat = target ? target->format : image->format;
        SDL_SetColorKey(image, SDL_SRCCOLORKEY, SDL_MapRGB(keyFormat, 255, 0, 255));
    }
    SDL_FreeSurface(loaded);
    return image;
}

// Rendering sizes its surface from the font's line height and glyph boxes; a damaged font
// can declare any of them, so only a font whose every Latin-1 glyph fits a small pixel font
// is kept.
static bool smallPixelFont(TTF_Font* font) {
    const int limit = 64;
    int height = TTF_FontHeight(font);
    if (height < 1 || height > limit) return false;
    for (Uint16 c = 32; c <= 255; ++c) {
        int minX, maxX, minY, maxY, advance;
        if (c > 126 && c < 161) continue; // control codes the texts never hold
        if (TTF_GlyphMetrics(font, c, &minX, &maxX, &minY, &maxY, &advance) != 0) continue;
        for (int v : {minX, maxX, minY, maxY, advance})
            if (v < -limit || v > limit) return false;
    }
    return true;
}

// The Notifier's font is TrueType (sfnt version 1.0). On opening, FreeType works through
// every glyph that "maxp" counts (their names, a Unicode map made from them), so a damaged
// count of 65535 in a small file costs it milliseconds; the count must fit the "loca" table,
// which holds an offset of at least two bytes per glyph and one more.
static bool trueTypeHoldingItsGlyphs(const unsigned char* bytes, int size) {
    auto be16 = [bytes](size_t at) { return size_t(bytes[at]) << 8 | bytes[at + 1]; };
    auto be32 = [&](size_t at) { return be16(at) << 16 | be16(at + 2); };
    if (size < 12) return false;
    size_t end = static_cast<size_t>(size);
    if (be32(0) != 0x00010000 || 12 + 16 * be16(4) > end) return false;
    size_t glyphs = 0, locaBytes = 0;
    bool maxp = false, loca = false;
    for (size_t entry = 12; entry < 12 + 16 * be16(4); entry += 16) {
        size_t at = be32(entry + 8), length = be32(entry + 12);
        if (at > end || length > end - at) continue;
        if (!maxp && memcmp(bytes + entry, "maxp", 4) == 0 && length >= 6)
            maxp = true, glyphs = be16(at + 4);
        else if (!loca && memcmp(bytes + entry, "loca", 4) == 0)
            loca = true, locaBytes = length;
    }
    return maxp && loca && locaBytes / 2 >= glyphs + 1;
}

TTF_Font* openFontBytes(const unsigned char* bytes, int size) {
    if (!bytes || !trueTypeHoldingItsGlyphs(bytes, size)) return nullptr;
    if (!TTF_WasInit() && TTF_Init() < 0) return nullptr;
    SDL_RWops* stream = streamOver(bytes, size);
    if (!stream) return nullptr;
    TTF_Font* font = TTF_OpenFontRW(stream, 1, 8);
    if (!font) return nullptr;
    // The Notifier's pixel font draws the same without hinting, so FreeType's hinters are
    // left out: on a damaged font they size their buffers by the limits it declares,
    // megabytes for every glyph.
    TTF_SetFontHinting(font, TTF_HINTING_NONE);
    if (!smallPixelFont(font)) {
        TTF_CloseFont(font);
        return nullptr;
    }
    return font;
}

static void freeImages() {
    if (badgeImage) SDL_FreeSurface(badgeImage);
    if (capImage) SDL_FreeSurface(capImage);
    badgeImage = capImage = nullptr;
}

void setupNotifier(SDL_Surface* target) {
    notifierTarget = target;
    freeImages(); // a second set-up must not leak the first one's images
    badgeImage = loadKeyedBitmap(badgeBitmapBytes, static_cast<int>(badgeBitmapBytesCount), target);
    capImage = loadKeyedBitmap(capBitmapBytes, static_cast<int>(capBitmapBytesCount), target);
    if (!notifierFont)
        notifierFont = openFontBytes(notifierFontBytes, static_cast<int>(notifierFontBytesCount));
}

void moveNotifier(SDL_Surface* previous, SDL_Surface* next) {
    if (notifierTarget && notifierTarget == previous) notifierTarget = next;
}

void shutdownNotifier() {
    notifierTarget = nullptr;
    freeImages();
}
