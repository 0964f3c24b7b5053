// The shipped data set, checked the way the game and the Notifier load it.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <glob.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/test_support.h"

namespace {

// Every image; "=WxH,K" gives the layout's size and the transparent index (K) of those after it.
const char* const kImages =
    "=320x240,-1 fondo title =320x110,0 title.clouds =40x48,0 end =40x24,0 vs =60x30,0 pvc pvc2 "
    "pvp pvp2 =64x34,0 selection =120x80,0 help =20x20,1 cursor =20x20,0 scoreback player.1 "
    "player.2 player.3 0 1 2 3 4 5 6 7 8 9 coffin.1 coffin.2 coffin.3 coffin.4 coffin.5 coffin.6 "
    "coffin.7 coffin.8 coffin.9 coffin.10 coffin.11 coffin.12 coffin.s left left2 right right2 "
    "exit exit2";

// Points that must never show the board through.
const std::tuple<std::string, int, int> kSolid[] = {
    {"coffin.1", 8, 2},  {"coffin.2", 8, 2},    {"coffin.3", 8, 10}, {"coffin.4", 8, 1},
    {"coffin.5", 8, 6},  {"coffin.6", 8, 2},    {"coffin.7", 8, 2},  {"coffin.8", 8, 2},
    {"coffin.9", 8, 8},  {"coffin.10", 8, 17},  {"coffin.11", 8, 8}, {"coffin.12", 8, 8},
    {"coffin.s", 8, 10}, {"scoreback", 10, 10}, {"player.1", 10, 8}, {"player.3", 10, 16}};

} // namespace

TEST(DataImages, EveryImageIsAnEightBitSurfaceOfItsSizeKeyedAtItsIndex) {
    int count = 0, w = 0, h = 0, key = 0;
    std::istringstream names(kImages);
    for (std::string name; names >> name;) {
        if (std::sscanf(name.c_str(), "=%dx%d,%d", &w, &h, &key) == 3) continue;
        SCOPED_TRACE(name + ", image " + std::to_string(++count));
        SDL_Surface* s = IMG_Load(("data/" + name + ".png").c_str());
        ASSERT_NE(nullptr, s) << IMG_GetError();
        EXPECT_EQ(std::make_tuple(8, w, h), std::make_tuple(+s->format->BitsPerPixel, s->w, s->h));
        // SDL_image keeps the file's one transparent index as the key.
        EXPECT_EQ(key, s->flags & SDL_SRCCOLORKEY ? int(s->format->colorkey) : -1);
        const Uint8* px = static_cast<Uint8*>(s->pixels);
        int keyed = 0;
        for (int y = 0; y < s->h; ++y)
            keyed += int(std::count(px + y * s->pitch, px + y * s->pitch + s->w, key));
        EXPECT_TRUE(keyed < s->w * s->h && (keyed > 0) == (key >= 0)) << keyed << " keyed";
        for (const auto& [file, x, y] : kSolid)
            EXPECT_TRUE(name != file || px[y * s->pitch + x] != key) << x << "," << y;
        SDL_FreeSurface(s);
    }
    EXPECT_EQ(45, count);
}

TEST(DataSounds, EveryCueLoadsUnconvertedInTheMixersFormatShortLoudAndClickFree) {
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_AUDIO)) << SDL_GetError();
    ASSERT_EQ(0, Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 128)) << Mix_GetError();
    for (std::string name : {"open", "clap", "ohh", "search"}) {
        std::string path = "data/" + name + ".wav", file = readFile(path);
        SCOPED_TRACE(path);
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        ASSERT_NE(nullptr, chunk) << Mix_GetError();
        // Nothing was converted: the chunk is the file's own sample data.
        ASSERT_TRUE(file.size() > 44 && chunk->alen == file.size() - 44) << chunk->alen;
        EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), (const char*)chunk->abuf));
        EXPECT_LT(chunk->alen, 2u * 22050 * 4); // under 2 seconds
        const Sint16 *pcm = reinterpret_cast<Sint16*>(chunk->abuf), *end = pcm + chunk->alen / 2;
        auto [low, high] = std::minmax_element(pcm, end);
        EXPECT_GT(std::max(-*low, int(*high)), 16000);        // normalised
        EXPECT_LT(std::abs(pcm[0]) + std::abs(end[-1]), 128); // no click
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
}

TEST(DataFonts, BothFontsArePixelFontsWithTheSharedMetricsAndEveryGlyph) {
    ASSERT_EQ(0, TTF_Init());
    for (const char* path : {"data/ruveridovo.ttf", "notify/notifier_font.ttf"}) {
        SCOPED_TRACE(path);
        TTF_Font* font = TTF_OpenFont(path, 8);
        ASSERT_NE(nullptr, font) << TTF_GetError();
        EXPECT_EQ(std::make_tuple(11, 2, 14),
                  std::make_tuple(TTF_FontAscent(font), std::abs(TTF_FontDescent(font)),
                                  TTF_FontHeight(font)));
        std::string all; // ASCII 32 to 126, Latin-1 161 to 255 but 173
        for (int c = 32; c <= 255; all += char(c), c += c == 126 ? 35 : c == 172 ? 2 : 1)
            EXPECT_TRUE(TTF_GlyphIsProvided(font, c)) << "code " << c;
        SDL_Surface* s = TTF_RenderText_Blended(font, all.c_str(), {255, 255, 255, 0});
        ASSERT_TRUE(s && s->pitch == 4 * s->w) << TTF_GetError();
        std::set<Uint32> alphas;
        for (int i = 0; i < s->w * s->h; ++i)
            alphas.insert(static_cast<Uint32*>(s->pixels)[i] & s->format->Amask);
        EXPECT_EQ((std::set<Uint32>{0, s->format->Amask}), alphas);
        SDL_FreeSurface(s);
        TTF_CloseFont(font);
    }
}

TEST(DataBitmaps, ItemsIconBadgeAndCapAreDistinctUncompressed24BitWithTheBarsPixels) {
    const std::string badge = "notify/badge.bmp", cap = "notify/cap.bmp";
    const Uint32 key = 0xFF00FF, light = 0x7FA57F, mid = 0x658F65, dark = 0x517151, gold = 0xFFFF00;
    // A few telling pixels of the bar's ends: the key, the bar's shades, the emblem and its shadow.
    const std::tuple<std::string, int, int, Uint32> kPixels[] = {
        {cap, 0, 0, key},      {cap, 1, 1, key},      {cap, 0, 12, mid},     {cap, 1, 12, dark},
        {cap, 1, 22, key},     {badge, 0, 0, key},    {badge, 0, 1, key},    {badge, 23, 22, key},
        {badge, 12, 0, light}, {badge, 0, 12, light}, {badge, 23, 12, dark}, {badge, 12, 23, dark},
        {badge, 3, 20, gold},  {badge, 20, 3, gold},  {badge, 21, 4, dark}};
    const std::string more[] = {"data/exp.icon.bmp", badge, cap};
    std::set<std::string> distinct;
    for (int n = 1; n <= 18; ++n) {
        std::string path =
            n > 15 ? more[n - 16] : "data/exp" + std::to_string(100 + n).substr(1) + ".bmp";
        std::string file = readFile(path);
        SCOPED_TRACE(path);
        ASSERT_TRUE(file.size() > 54 && file[30] == 0) << "compressed";
        EXPECT_TRUE(distinct.insert(file).second) << "two bitmaps share a picture";
        SDL_Surface* s = SDL_LoadBMP(path.c_str());
        ASSERT_NE(nullptr, s) << SDL_GetError();
        ASSERT_EQ(std::make_tuple(24, path == cap ? 2 : 24, 24),
                  std::make_tuple(+s->format->BitsPerPixel, s->w, s->h));
        for (const auto& [f, x, y, rgb] : kPixels) {
            const Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + 3 * x; // B, G, R
            EXPECT_TRUE(path != f || rgb == Uint32(p[2] << 16 | p[1] << 8 | p[0])) << x << ',' << y;
        }
        SDL_FreeSurface(s);
    }
}

TEST(DataLanguages, EveryLanguageHasAllTextsAndTheyFitWhereTheyAreShown) {
    ASSERT_EQ(0, TTF_Init());
    TTF_Font* notice = TTF_OpenFont("notify/notifier_font.ttf", 8);
    TTF_Font* game = TTF_OpenFont("data/ruveridovo.ttf", 8);
    ASSERT_TRUE(notice && game);
    glob_t files;
    ASSERT_EQ(0, glob("lang/*", 0, nullptr, &files));
    std::set<std::string> codes;
    for (size_t f = 0; f < files.gl_pathc; ++f) {
        SCOPED_TRACE(files.gl_pathv[f]);
        // As the game reads: the key ends at a blank after its first byte, the value loses the CR.
        std::map<std::string, std::string> texts;
        std::istringstream in(readFile(files.gl_pathv[f]));
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
            size_t blank = line.find(' ', 1);
            if (blank != std::string::npos)
                texts[line.substr(0, blank)] = line.substr(blank + 1, line.size() - blank - 2);
        }
        const std::string& code = texts["@lang"];
        EXPECT_FALSE(texts["@author"].empty());
        EXPECT_TRUE(!code.empty() && std::all_of(code.begin(), code.end(), ::islower)) << code;
        codes.insert(code);
        for (int n = 1; n <= 31; ++n) {
            const std::string& t = texts["@" + std::to_string(n)];
            SCOPED_TRACE("text " + std::to_string(n) + ": " + t);
            ASSERT_FALSE(t.empty());
            for (unsigned char c : t)
                EXPECT_TRUE((c >= 32 && c <= 126) || (c >= 161 && c != 173)) << int(c);
            int w = 0, h = 0;
            TTF_SizeText(game, t.c_str(), &w, &h);
            EXPECT_TRUE(n > 1 || w <= 1820) << w; // gone before the banner starts again
            EXPECT_TRUE(n == 1 || t.size() <= (n % 2 ? 100u : 20u)) << t.size() << " bytes";
            if (n % 2 == 0 || n == 1) continue;
            // The Notifier's wrap: at most 48 characters, else cut at the last blank.
            size_t cut = t.size() <= 48 ? t.size() : t.rfind(' ', 48);
            ASSERT_TRUE(cut != std::string::npos && cut > 0);
            for (const std::string& l : {t.substr(0, cut), t.substr(std::min(t.size(), cut + 1))}) {
                TTF_SizeText(notice, l.c_str(), &w, &h);
                EXPECT_LE(50 + w, 294) << l;
            }
        }
    }
    globfree(&files);
    EXPECT_EQ((std::set<std::string>{"de", "en", "es", "fr", "it", "nl", "pt"}), codes);
    TTF_CloseFont(notice);
    TTF_CloseFont(game);
}
