#include "gfx/assets.h"

#include <SDL_image.h>
#include <vector>

ImageCatalogue images;
SoundCatalogue sounds;
TTF_Font* gameFont = nullptr;
SDL_Surface* screenSurface = nullptr;

namespace {

// The catalogue in load order, with each image's colour key (-1: none).
struct ImageEntry {
    const char* path;
    SDL_Surface** handle;
    int key;
};

std::vector<ImageEntry> catalogue() {
    ImageCatalogue& c = images;
    std::vector<ImageEntry> list = {
        {"data/fondo.png", &c.fondo, -1},
        {"data/title.png", &c.title, -1},
        {"data/title.clouds.png", &c.titleClouds, 0},
        {"data/end.png", &c.end, 0},
        {"data/vs.png", &c.vs, 0},
        {"data/pvc.png", &c.pvc, 0},
        {"data/pvc2.png", &c.pvcSelected, 0},
        {"data/pvp.png", &c.pvp, 0},
        {"data/pvp2.png", &c.pvpSelected, 0},
        {"data/scoreback.png", &c.scoreback, 0},
        {"data/selection.png", &c.selection, 0},
        {"data/player.1.png", &c.player[1], 0},
        {"data/player.2.png", &c.player[2], 0},
        {"data/player.3.png", &c.player[3], 0},
    };
    static const char* digitPaths[10] = {"data/0.png", "data/1.png", "data/2.png", "data/3.png",
                                         "data/4.png", "data/5.png", "data/6.png", "data/7.png",
                                         "data/8.png", "data/9.png"};
    for (int i = 0; i < 10; ++i)
        list.push_back({digitPaths[i], &c.digit[i], 0});
    static const char* coffinPaths[13] = {nullptr,
                                          "data/coffin.1.png",
                                          "data/coffin.2.png",
                                          "data/coffin.3.png",
                                          "data/coffin.4.png",
                                          "data/coffin.5.png",
                                          "data/coffin.6.png",
                                          "data/coffin.7.png",
                                          "data/coffin.8.png",
                                          "data/coffin.9.png",
                                          "data/coffin.10.png",
                                          "data/coffin.11.png",
                                          "data/coffin.12.png"};
    for (int i = 1; i <= 12; ++i)
        list.push_back({coffinPaths[i], &c.coffin[i], 0});
    list.push_back({"data/coffin.s.png", &c.coffinShadow, 0});
    list.push_back({"data/cursor.png", &c.cursor, 1});
    list.push_back({"data/help.png", &c.help, 0});
    list.push_back({"data/left.png", &c.left, 0});
    list.push_back({"data/left2.png", &c.leftSelected, 0});
    list.push_back({"data/right.png", &c.right, 0});
    list.push_back({"data/right2.png", &c.rightSelected, 0});
    list.push_back({"data/exit.png", &c.exit, 0});
    list.push_back({"data/exit2.png", &c.exitSelected, 0});
    return list;
}

} // namespace

void loadImages() {
    std::vector<ImageEntry> list = catalogue();
    for (ImageEntry& e : list)
        *e.handle = IMG_Load(e.path);
    // Keys are raw pixel values of each image's own format; only loaded images get one.
    for (ImageEntry& e : list)
        if (e.key >= 0 && *e.handle) SDL_SetColorKey(*e.handle, SDL_SRCCOLORKEY, e.key);
}

void freeImages() {
    for (ImageEntry& e : catalogue()) {
        SDL_FreeSurface(*e.handle);
        *e.handle = nullptr;
    }
}

void loadSounds() {
    struct {
        const char* path;
        Mix_Chunk** handle;
    } list[4] = {{"data/open.wav", &sounds.openSound},
                 {"data/clap.wav", &sounds.clapSound},
                 {"data/ohh.wav", &sounds.ohhSound},
                 {"data/search.wav", &sounds.searchSound}};
    for (auto& s : list) {
        SDL_RWops* stream = SDL_RWFromFile(s.path, "rb");
        // Mix_LoadWAV_RW closes the stream; a missing file gives no stream at all.
        *s.handle = stream ? Mix_LoadWAV_RW(stream, 1) : nullptr;
    }
}

void freeSounds() {
    Mix_Chunk** list[4] = {&sounds.openSound, &sounds.clapSound, &sounds.ohhSound,
                           &sounds.searchSound};
    for (Mix_Chunk** c : list) {
        if (*c) Mix_FreeChunk(*c);
        *c = nullptr;
    }
    Mix_CloseAudio();
}
