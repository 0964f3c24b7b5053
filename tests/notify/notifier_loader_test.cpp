#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "exp/file_io.h"
#include "notify/embedded_resources.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

namespace {

// A 2x2 BMP of the given depth: palette of `colours` entries (0 = none), every pixel byte 0xFF.
std::string smallBmp(int bitsPerPixel, int colours, int height = 2) {
    int rowBytes = (2 * bitsPerPixel + 31) / 32 * 4, offset = 54 + 4 * colours;
    std::string b = "BM";
    putLE32(b, offset + 2 * rowBytes), putLE32(b, 0), putLE32(b, offset), putLE32(b, 40);
    putLE32(b, 2), putLE32(b, height), putLE32(b, 1 | bitsPerPixel << 16), putLE32(b, 0);
    putLE32(b, 2 * rowBytes), putLE32(b, 0), putLE32(b, 0), putLE32(b, colours), putLE32(b, 0);
    for (int i = 0; i < colours; ++i)
        putLE32(b, i == 0 ? 0x00FF00FF : 0x00FFFFFF);
    return b + std::string(2 * rowBytes, '\xFF');
}

SDL_Surface* load(const std::string& b) {
    return loadKeyedBitmap(reinterpret_cast<const unsigned char*>(b.data()),
                           static_cast<int>(b.size()), testScreen());
}

} // namespace

TEST(NotifierBitmap, RefusesDepthsAndSizesTheBytesDoNotBear) {
    const std::string badge(reinterpret_cast<const char*>(badgeBitmapBytes), badgeBitmapBytesCount);
    for (int bpp : {0, 2, 7, 15, 23, 33, 64, 200, 0xFFFF}) {
        std::string b = badge;
        b[28] = static_cast<char>(bpp), b[29] = static_cast<char>(bpp >> 8);
        EXPECT_EQ(load(b), nullptr) << bpp;
    }
    for (size_t n = 0; n < badge.size(); n += 7) // every cut short of the last row's end
        ASSERT_EQ(load(badge.substr(0, n)), nullptr) << n;
    EXPECT_EQ(load(badge.substr(0, badge.size() - 1)), nullptr);
    EXPECT_EQ(load(smallBmp(8, 0)), nullptr);     // 256 colours declared, none there
    EXPECT_EQ(load(smallBmp(4, 17)), nullptr);    // more colours than the depth can name
    EXPECT_EQ(load(smallBmp(24, 0, 0)), nullptr); // no rows
    EXPECT_EQ(load(smallBmp(24, 0).replace(18, 4, std::string(4, '\0'))), nullptr); // no columns
}

TEST(NotifierBitmap, SoundImagesOfEveryDepthLoad) {
    testScreen();
    for (const std::string& b : {smallBmp(1, 2), smallBmp(4, 16), smallBmp(8, 256), smallBmp(16, 0),
                                 smallBmp(24, 0), smallBmp(32, 0), smallBmp(24, 0, -2)}) {
        SDL_Surface* image = load(b);
        ASSERT_NE(image, nullptr) << b.size();
        EXPECT_TRUE(image->w == 2 && image->h == 2 && image->format->BitsPerPixel == 16);
        SDL_FreeSurface(image);
    }
    // A pixel naming colour 255 of a two-colour palette, or colour 3 of a three-colour one,
    // is damage: refused, whatever the library would make of it.
    EXPECT_EQ(load(smallBmp(8, 2)), nullptr);
    std::string fourBit = smallBmp(4, 3); // rows of one byte of pixels and three of padding
    fourBit[fourBit.size() - 8] = fourBit[fourBit.size() - 4] = 0x12;
    SDL_Surface* fits = load(fourBit);
    EXPECT_NE(fits, nullptr);
    SDL_FreeSurface(fits);
    fourBit[fourBit.size() - 4] = 0x13;
    EXPECT_EQ(load(fourBit), nullptr);
    SDL_Surface* image;
    EXPECT_NE(image = load(
                  std::string(reinterpret_cast<const char*>(capBitmapBytes), capBitmapBytesCount)),
              nullptr);
    SDL_FreeSurface(image);
}

namespace {

TTF_Font* openFont(const std::string& b) {
    return openFontBytes(reinterpret_cast<const unsigned char*>(b.data()),
                         static_cast<int>(b.size()));
}

// Where the table tagged tag starts in an sfnt font (0 when it has none).
size_t tableAt(const std::string& font, const char* tag) {
    for (size_t entry = 12; entry + 16 <= font.size(); entry += 16) {
        if (font.compare(entry, 4, tag) != 0) continue;
        size_t at = 0;
        for (int i = 8; i < 12; ++i)
            at = at << 8 | static_cast<unsigned char>(font[entry + i]);
        return at;
    }
    return 0;
}

} // namespace

TEST(NotifierFont, AFontOfNonsenseSizesIsRefused) {
    std::string font(reinterpret_cast<const char*>(notifierFontBytes), notifierFontBytesCount);
    auto open = openFont;
    TTF_Font* sound = open(font);
    ASSERT_NE(sound, nullptr);
    TTF_CloseFont(sound);
    // An ascender of 28672 units in "hhea" makes lines some 230 pixels tall.
    size_t hhea = tableAt(font, "hhea");
    font[hhea + 4] = 0x70, font[hhea + 5] = 0;
    EXPECT_EQ(open(font), nullptr);
}

TEST(NotifierFont, OnlyTrueTypeHoldingTheGlyphsItCountsIsOpened) {
    const std::string font(reinterpret_cast<const char*>(notifierFontBytes),
                           notifierFontBytesCount);
    size_t maxp = tableAt(font, "maxp");
    ASSERT_NE(maxp, 0u);
    std::string more = font; // one glyph more than "loca" has offsets for
    int glyphs = static_cast<unsigned char>(font[maxp + 4]) << 8 |
                 static_cast<unsigned char>(font[maxp + 5]);
    more[maxp + 4] = static_cast<char>((glyphs + 1) >> 8),
                more[maxp + 5] = static_cast<char>(glyphs + 1);
    EXPECT_EQ(openFont(more), nullptr);
    std::string otherKind = font; // an OpenType font of PostScript outlines
    otherKind.replace(0, 4, "OTTO");
    EXPECT_EQ(openFont(otherKind), nullptr);
    EXPECT_EQ(openFont(font.substr(0, 11)), nullptr);
    EXPECT_EQ(openFont(font.substr(0, maxp + 5)), nullptr); // "maxp" cut short
}

// The loader leaves hinting out; the font must still draw every Latin-1 glyph exactly as
// with FreeType's hinting (a font of outlines off the pixel grid would not).
TEST(NotifierFont, DrawsAsWithHinting) {
    TTF_Font* unhinted = openFontBytes(notifierFontBytes, static_cast<int>(notifierFontBytesCount));
    TTF_Font* hinted = TTF_OpenFontRW(
        SDL_RWFromConstMem(notifierFontBytes, static_cast<int>(notifierFontBytesCount)), 1, 8);
    ASSERT_TRUE(unhinted && hinted);
    for (int c = 32; c <= 255; ++c) {
        if (c > 126 && c < 161) continue;
        const char text[] = {static_cast<char>(c), 'g', '\0'};
        SDL_Surface* a = TTF_RenderText_Blended(unhinted, text, {255, 255, 0, 0});
        SDL_Surface* b = TTF_RenderText_Blended(hinted, text, {255, 255, 0, 0});
        ASSERT_TRUE(a && b && a->w == b->w && a->h == b->h) << c;
        for (int y = 0; y < a->h; ++y)
            ASSERT_EQ(0, memcmp(static_cast<char*>(a->pixels) + y * a->pitch,
                                static_cast<char*>(b->pixels) + y * b->pitch, 4 * a->w))
                << c << " row " << y;
        SDL_FreeSurface(a);
        SDL_FreeSurface(b);
    }
    TTF_CloseFont(unhinted);
    TTF_CloseFont(hinted);
}
