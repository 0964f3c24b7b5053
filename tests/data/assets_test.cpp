// The shipped data set: every image, sound, font, bitmap and language file
// that the game and the Notifier load, checked as the game will use them.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

struct ImageFile {
    const char* file;
    int w, h;
    int key; // palette index of the transparent colour, -1 for none
};

// Every image, with the size the screens' layout needs.
const ImageFile kImages[] = {
    {"fondo.png", 320, 240, -1},  {"title.png", 320, 240, -1},  {"title.clouds.png", 320, 110, 0},
    {"end.png", 40, 48, 0},       {"vs.png", 40, 24, 0},        {"pvc.png", 60, 30, 0},
    {"pvc2.png", 60, 30, 0},      {"pvp.png", 60, 30, 0},       {"pvp2.png", 60, 30, 0},
    {"scoreback.png", 20, 20, 0}, {"selection.png", 64, 34, 0}, {"player.1.png", 20, 20, 0},
    {"player.2.png", 20, 20, 0},  {"player.3.png", 20, 20, 0},  {"0.png", 20, 20, 0},
    {"1.png", 20, 20, 0},         {"2.png", 20, 20, 0},         {"3.png", 20, 20, 0},
    {"4.png", 20, 20, 0},         {"5.png", 20, 20, 0},         {"6.png", 20, 20, 0},
    {"7.png", 20, 20, 0},         {"8.png", 20, 20, 0},         {"9.png", 20, 20, 0},
    {"coffin.1.png", 20, 20, 0},  {"coffin.2.png", 20, 20, 0},  {"coffin.3.png", 20, 20, 0},
    {"coffin.4.png", 20, 20, 0},  {"coffin.5.png", 20, 20, 0},  {"coffin.6.png", 20, 20, 0},
    {"coffin.7.png", 20, 20, 0},  {"coffin.8.png", 20, 20, 0},  {"coffin.9.png", 20, 20, 0},
    {"coffin.10.png", 20, 20, 0}, {"coffin.11.png", 20, 20, 0}, {"coffin.12.png", 20, 20, 0},
    {"coffin.s.png", 20, 20, 0},  {"cursor.png", 20, 20, 1},    {"help.png", 120, 80, 0},
    {"left.png", 20, 20, 0},      {"left2.png", 20, 20, 0},     {"right.png", 20, 20, 0},
    {"right2.png", 20, 20, 0},    {"exit.png", 20, 20, 0},      {"exit2.png", 20, 20, 0},
};

Uint8 pixel8(SDL_Surface* s, int x, int y) {
    return static_cast<Uint8*>(s->pixels)[y * s->pitch + x];
}

std::string dataPath(const std::string& name) {
    return "data/" + name;
}

} // namespace

TEST(DataImages, EveryImageLoadsAsAnEightBitSurfaceOfItsSizeWithItsKey) {
    testScreen();
    EXPECT_EQ(45u, sizeof kImages / sizeof kImages[0]);
    for (const ImageFile& img : kImages) {
        SCOPED_TRACE(img.file);
        SDL_Surface* s = IMG_Load(dataPath(img.file).c_str());
        ASSERT_NE(nullptr, s) << IMG_GetError();
        EXPECT_EQ(8, s->format->BitsPerPixel);
        EXPECT_EQ(img.w, s->w);
        EXPECT_EQ(img.h, s->h);
        int keyed = 0, opaque = 0;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                (pixel8(s, x, y) == img.key ? keyed : opaque)++;
        if (img.key < 0) {
            EXPECT_FALSE(s->flags & SDL_SRCCOLORKEY);
        } else {
            // SDL_image keeps the file's one transparent index as the key.
            EXPECT_TRUE(s->flags & SDL_SRCCOLORKEY);
            EXPECT_EQ(static_cast<Uint32>(img.key), s->format->colorkey);
            EXPECT_GT(keyed, 0);
        }
        EXPECT_GT(opaque, 0);
        SDL_FreeSurface(s);
    }
}

TEST(DataImages, BodiesOfCoffinsPortraitsAndPlatesAreOpaque) {
    testScreen();
    // Points inside each picture that must never show the board through.
    const std::map<std::string, std::vector<std::pair<int, int>>> solid = {
        {"coffin.1.png", {{8, 2}, {8, 10}, {3, 5}, {13, 5}, {8, 17}}},
        {"coffin.3.png", {{8, 2}, {8, 10}, {8, 17}}},
        {"coffin.5.png", {{8, 2}, {8, 6}, {8, 17}}},
        {"coffin.9.png", {{8, 8}, {8, 17}}},
        {"coffin.10.png", {{8, 8}, {8, 17}}},
        {"coffin.11.png", {{8, 8}, {8, 17}}},
        {"coffin.12.png", {{8, 8}, {8, 17}}},
        {"coffin.s.png", {{8, 2}, {8, 10}, {8, 17}}},
        {"scoreback.png", {{10, 10}, {3, 10}, {16, 10}}},
        {"player.1.png", {{10, 8}, {10, 16}}},
        {"player.2.png", {{10, 8}, {10, 16}}},
        {"player.3.png", {{10, 8}, {10, 16}}},
    };
    for (int n = 1; n <= 12; ++n) {
        std::string name = "coffin." + std::to_string(n) + ".png";
        SDL_Surface* s = IMG_Load(dataPath(name).c_str());
        ASSERT_NE(nullptr, s) << name;
        // whatever the state, the head of the coffin is drawn
        EXPECT_NE(0, pixel8(s, 8, n == 4 ? 1 : 2)) << name;
        SDL_FreeSurface(s);
    }
    for (const auto& entry : solid) {
        SDL_Surface* s = IMG_Load(dataPath(entry.first).c_str());
        ASSERT_NE(nullptr, s) << entry.first;
        for (const auto& p : entry.second)
            EXPECT_NE(0, pixel8(s, p.first, p.second))
                << entry.first << " at " << p.first << "," << p.second;
        SDL_FreeSurface(s);
    }
    SDL_Surface* cursor = IMG_Load("data/cursor.png");
    ASSERT_NE(nullptr, cursor);
    EXPECT_EQ(1, pixel8(cursor, 10, 10)); // the cell shows through the middle
    EXPECT_NE(1, pixel8(cursor, 0, 0));
    SDL_FreeSurface(cursor);
}

TEST(DataSounds, EveryCueLoadsInTheMixersOwnFormatAndStartsAndEndsSilent) {
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_AUDIO)) << SDL_GetError();
    ASSERT_EQ(0, Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 128)) << Mix_GetError();
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    ASSERT_EQ(22050, rate);
    ASSERT_EQ(AUDIO_S16LSB, format);
    ASSERT_EQ(2, channels);
    for (const char* name : {"open.wav", "clap.wav", "ohh.wav", "search.wav"}) {
        SCOPED_TRACE(name);
        std::string file = readFile(dataPath(name));
        ASSERT_GT(file.size(), 44u);
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(dataPath(name).c_str(), "rb"), 1);
        ASSERT_NE(nullptr, chunk) << Mix_GetError();
        // Nothing was converted: the chunk is the file's own sample data.
        EXPECT_EQ(file.size() - 44, chunk->alen);
        EXPECT_EQ(0, std::memcmp(chunk->abuf, file.data() + 44, chunk->alen));
        EXPECT_LT(chunk->alen, 2u * 22050 * 4);
        const Sint16* samples = reinterpret_cast<const Sint16*>(chunk->abuf);
        size_t count = chunk->alen / 2;
        int loudest = 0;
        for (size_t i = 0; i < count; ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        EXPECT_GT(loudest, 16000); // normalised, not a whisper
        for (size_t i : {size_t(0), size_t(1), count - 2, count - 1})
            EXPECT_LT(std::abs(int(samples[i])), 64) << "click at sample " << i;
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
}

namespace {

std::vector<Uint16> allCodes() {
    std::vector<Uint16> codes;
    for (int c = 32; c <= 126; ++c)
        codes.push_back(c);
    for (int c = 161; c <= 255; ++c)
        if (c != 173) codes.push_back(c);
    return codes;
}

// Renders the text and checks that every pixel is fully on or fully off.
void expectHardEdges(TTF_Font* font, const std::string& text) {
    SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* s = TTF_RenderText_Blended(font, text.c_str(), white);
    ASSERT_NE(nullptr, s) << TTF_GetError();
    ASSERT_EQ(14, s->h);
    SDL_LockSurface(s);
    std::set<int> alphas;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            Uint32 p = static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x];
            alphas.insert((p & s->format->Amask) >> s->format->Ashift);
        }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    EXPECT_EQ((std::set<int>{0, 255}), alphas) << text;
}

} // namespace

TEST(DataFonts, BothFontsArePixelFontsWithTheSharedMetricsAndEveryGlyph) {
    testScreen();
    ASSERT_EQ(0, TTF_Init());
    for (const char* path : {"data/ruveridovo.ttf", "notify/notifier_font.ttf"}) {
        SCOPED_TRACE(path);
        TTF_Font* font = TTF_OpenFont(path, 8);
        ASSERT_NE(nullptr, font) << TTF_GetError();
        EXPECT_EQ(11, TTF_FontAscent(font));
        EXPECT_EQ(-2, TTF_FontDescent(font));
        EXPECT_EQ(14, TTF_FontHeight(font));
        EXPECT_EQ(13, TTF_FontLineSkip(font));
        std::map<int, int> advances;
        std::string line;
        for (Uint16 c : allCodes()) {
            EXPECT_TRUE(TTF_GlyphIsProvided(font, c)) << "code " << c;
            int minx, maxx, miny, maxy, advance;
            ASSERT_EQ(0, TTF_GlyphMetrics(font, c, &minx, &maxx, &miny, &maxy, &advance));
            EXPECT_LE(maxy, 11) << "code " << c;
            EXPECT_GE(miny, -2) << "code " << c;
            advances[advance]++;
            line += char(c);
            if (line.size() == 40) {
                expectHardEdges(font, line);
                line.clear();
            }
        }
        expectHardEdges(font, line);
        int w = 0, h = 0;
        TTF_SizeText(font, "A", &w, &h);
        EXPECT_EQ(6, w);
        TTF_SizeText(font, "a", &w, &h);
        EXPECT_EQ(5, w);
        TTF_SizeText(font, "i", &w, &h);
        EXPECT_EQ(3, w);
        // mostly 6, many 5, a few narrow ones
        EXPECT_GT(advances[6], advances[5]);
        EXPECT_GT(advances[5], 40);
        EXPECT_GT(advances[3], 10);
        TTF_CloseFont(font);
    }
}

namespace {

struct Bmp {
    int w = 0, h = 0, bits = 0, compression = -1;
    std::vector<SDL_Color> rgb; // top row first
};

Bmp readBmp(const std::string& path) {
    Bmp b;
    std::string f = readFile(path);
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return b;
    auto u32 = [&](size_t o) {
        return Uint32(Uint8(f[o])) | Uint32(Uint8(f[o + 1])) << 8 | Uint32(Uint8(f[o + 2])) << 16 |
               Uint32(Uint8(f[o + 3])) << 24;
    };
    b.w = int(u32(18));
    b.h = int(u32(22));
    b.bits = Uint8(f[28]) | Uint8(f[29]) << 8;
    b.compression = int(u32(30));
    size_t offset = u32(10), stride = (size_t(b.w) * 3 + 3) & ~size_t(3);
    if (b.bits != 24 || f.size() < offset + stride * b.h) return b;
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x) {
            size_t o = offset + stride * (b.h - 1 - y) + 3 * x; // bottom-up rows
            b.rgb.push_back({Uint8(f[o + 2]), Uint8(f[o + 1]), Uint8(f[o]), 0});
        }
    return b;
}

bool is(const SDL_Color& c, int r, int g, int b) {
    return c.r == r && c.g == g && c.b == b;
}

} // namespace

TEST(DataBitmaps, ItemImagesAndTheIconAre24BitUncompressed24x24) {
    testScreen();
    std::vector<std::string> names;
    for (int n = 1; n <= 15; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, n <= 9 ? "data/exp0%i.bmp" : "data/exp%i.bmp", n);
        names.push_back(name);
    }
    names.push_back("data/exp.icon.bmp");
    std::set<std::string> distinct;
    for (const std::string& path : names) {
        SCOPED_TRACE(path);
        Bmp b = readBmp(path);
        EXPECT_EQ(24, b.w);
        EXPECT_EQ(24, b.h);
        EXPECT_EQ(24, b.bits);
        EXPECT_EQ(0, b.compression);
        SDL_Surface* s = SDL_LoadBMP(path.c_str());
        ASSERT_NE(nullptr, s) << SDL_GetError();
        EXPECT_EQ(24, s->format->BitsPerPixel);
        SDL_FreeSurface(s);
        distinct.insert(readFile(path));
    }
    EXPECT_EQ(names.size(), distinct.size()) << "two items share a picture";
}

TEST(DataBitmaps, NotifierCapAndBadgeHaveTheBarsPixels) {
    Bmp cap = readBmp("notify/cap.bmp");
    ASSERT_EQ(2, cap.w);
    ASSERT_EQ(24, cap.h);
    EXPECT_EQ(246u, readFile("notify/cap.bmp").size());
    for (int y = 0; y < 24; ++y) {
        const SDL_Color& c0 = cap.rgb[y * 2];
        const SDL_Color& c1 = cap.rgb[y * 2 + 1];
        if (y == 0 || y == 23)
            EXPECT_TRUE(is(c0, 255, 0, 255)) << y;
        else
            EXPECT_TRUE(is(c0, 101, 143, 101)) << y;
        if (y <= 1 || y >= 22)
            EXPECT_TRUE(is(c1, 255, 0, 255)) << y;
        else
            EXPECT_TRUE(is(c1, 81, 113, 81)) << y;
    }

    Bmp badge = readBmp("notify/badge.bmp");
    ASSERT_EQ(24, badge.w);
    ASSERT_EQ(24, badge.h);
    EXPECT_EQ(1782u, readFile("notify/badge.bmp").size());
    auto at = [&](int x, int y) { return badge.rgb[y * 24 + x]; };
    for (auto p : {std::make_pair(0, 0),
                   {1, 0},
                   {22, 0},
                   {23, 0},
                   {0, 23},
                   {1, 23},
                   {22, 23},
                   {23, 23},
                   {0, 1},
                   {23, 1},
                   {0, 22},
                   {23, 22}})
        EXPECT_TRUE(is(at(p.first, p.second), 255, 0, 255)) << p.first << "," << p.second;
    EXPECT_TRUE(is(at(12, 0), 127, 165, 127));
    EXPECT_TRUE(is(at(0, 12), 127, 165, 127));
    EXPECT_TRUE(is(at(12, 23), 81, 113, 81));
    EXPECT_TRUE(is(at(23, 12), 81, 113, 81));
    int yellow = 0, magenta = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            if (is(at(x, y), 255, 0, 255)) ++magenta;
            if (!is(at(x, y), 255, 255, 0)) continue;
            ++yellow;
            // every stroke casts its shadow below and to the right
            const SDL_Color& s = at(x + 1, y + 1);
            EXPECT_TRUE(is(s, 255, 255, 0) || is(s, 81, 113, 81)) << x << "," << y;
        }
    EXPECT_EQ(12, magenta);
    EXPECT_GT(yellow, 30);
    // the rising stroke reaches from the lower left to the upper right
    EXPECT_TRUE(is(at(3, 20), 255, 255, 0));
    EXPECT_TRUE(is(at(20, 3), 255, 255, 0));
}

namespace {

struct LanguageFile {
    std::string name, author;
    std::map<long, std::string> texts;
    bool crlf = true;
};

// Read the way the game reads: split at the first blank from the second
// character on, the value loses the line's last character (the CR).
LanguageFile parseLanguage(const std::string& bytes) {
    LanguageFile lf;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t lf_at = bytes.find('\n', pos);
        if (lf_at == std::string::npos) {
            lf.crlf = false;
            break;
        }
        std::string line = bytes.substr(pos, lf_at - pos + 1);
        pos = lf_at + 1;
        if (line.size() < 2 || line[line.size() - 2] != '\r') lf.crlf = false;
        size_t blank = line.find(' ', 1);
        if (blank == std::string::npos) continue;
        std::string key = line.substr(0, blank);
        std::string value = line.substr(blank + 1, line.size() - blank - 3);
        if (key == "@lang")
            lf.name = value;
        else if (key == "@author")
            lf.author = value;
        else if (key.size() > 1 && key[0] == '@')
            lf.texts[std::strtol(key.c_str() + 1, nullptr, 10)] = value;
    }
    return lf;
}

// The Notifier's wrap: at most 48 characters, else cut at the last blank.
std::vector<std::string> wrap48(const std::string& text) {
    if (text.size() <= 48) return {text};
    for (size_t p = 48; p >= 1; --p)
        if (text[p] == ' ') return {text.substr(0, p), text.substr(p + 1)};
    return {};
}

} // namespace

TEST(DataLanguages, EveryLanguageHasAllTextsAndTheyFitWhereTheyAreShown) {
    testScreen();
    ASSERT_EQ(0, TTF_Init());
    TTF_Font* notice = TTF_OpenFont("notify/notifier_font.ttf", 8);
    TTF_Font* game = TTF_OpenFont("data/ruveridovo.ttf", 8);
    ASSERT_NE(nullptr, notice);
    ASSERT_NE(nullptr, game);
    DIR* dir = opendir("lang");
    ASSERT_NE(nullptr, dir);
    std::set<std::string> codes;
    while (dirent* e = readdir(dir)) {
        std::string file = e->d_name;
        if (file == "." || file == "..") continue;
        SCOPED_TRACE(file);
        LanguageFile lf = parseLanguage(readFile("lang/" + file));
        EXPECT_TRUE(lf.crlf);
        EXPECT_FALSE(lf.author.empty());
        ASSERT_FALSE(lf.name.empty());
        for (char c : lf.name)
            EXPECT_TRUE(c >= 'a' && c <= 'z') << "code " << lf.name;
        codes.insert(lf.name);
        for (long n = 1; n <= 31; ++n) {
            SCOPED_TRACE("text " + std::to_string(n));
            ASSERT_EQ(1u, lf.texts.count(n));
            const std::string& t = lf.texts[n];
            ASSERT_FALSE(t.empty());
            for (unsigned char c : t)
                EXPECT_TRUE((c >= 32 && c <= 126) || (c >= 161 && c != 173)) << int(c);
            int w = 0, h = 0;
            if (n == 1) {
                TTF_SizeText(game, t.c_str(), &w, &h);
                EXPECT_LE(w, 1820); // gone before the ticker starts again
            } else if (n % 2 == 0) {
                EXPECT_LE(t.size(), 20u);
            } else {
                EXPECT_LE(t.size(), 100u);
                std::vector<std::string> lines = wrap48(t);
                EXPECT_FALSE(lines.empty());
                for (const std::string& l : lines) {
                    TTF_SizeText(notice, l.c_str(), &w, &h);
                    EXPECT_LE(50 + w, 294) << l;
                }
            }
        }
    }
    closedir(dir);
    for (const char* code : {"en", "es", "de"})
        EXPECT_EQ(1u, codes.count(code)) << code;
    TTF_CloseFont(notice);
    TTF_CloseFont(game);
}
