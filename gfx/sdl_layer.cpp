#include "gfx/sdl_layer.h"

#include <cstring>
#include <dlfcn.h>

namespace {

// The first fields of SDL2's own surface and pixel format, which SDL2 keeps stable.
struct Sdl2Format {
    Uint32 format;
    void* palette;
    Uint8 bitsPerPixel;
    Uint8 bytesPerPixel;
    Uint8 padding[2];
    Uint32 rMask, gMask, bMask, aMask;
};
struct Sdl2Surface {
    Uint32 flags;
    Sdl2Format* format;
    int w, h;
    int pitch;
    void* pixels;
};
struct Sdl2RendererInfo {
    const char* name;
    Uint32 flags;
    Uint32 formats;
    Uint32 textureFormats[16];
    int maxW, maxH;
};

// SDL2's calls, from the copy the layer loaded; the layer names its window.
struct Sdl2 {
    bool tried = false;
    void* (*getWindow)() = nullptr;
    void (*setWindowSize)(void*, int, int) = nullptr;
    void (*setWindowMinimumSize)(void*, int, int) = nullptr;
    void (*setWindowPosition)(void*, int, int) = nullptr;
    void* (*getRenderer)(void*) = nullptr;
    int (*setIntegerScale)(void*, int) = nullptr;
    int (*getRendererInfo)(void*, Sdl2RendererInfo*) = nullptr;
    Sdl2Surface* (*getWindowSurface)(void*) = nullptr;
};

const int centred = 0x2FFF0000; // SDL2's SDL_WINDOWPOS_CENTERED

template <typename T> void take(void* lib, const char* name, T& fn) {
    fn = reinterpret_cast<T>(dlsym(lib, name));
}

Sdl2& sdl2() {
    static Sdl2 s;
    if (s.tried || !sdlIsLayer()) return s;
    s.tried = true;
    take(RTLD_DEFAULT, "SDL12COMPAT_GetWindow", s.getWindow);
    // Already loaded by the layer: this only finds it.
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) return s;
    take(lib, "SDL_SetWindowSize", s.setWindowSize);
    take(lib, "SDL_SetWindowMinimumSize", s.setWindowMinimumSize);
    take(lib, "SDL_SetWindowPosition", s.setWindowPosition);
    take(lib, "SDL_GetRenderer", s.getRenderer);
    take(lib, "SDL_RenderSetIntegerScale", s.setIntegerScale);
    take(lib, "SDL_GetRendererInfo", s.getRendererInfo);
    take(lib, "SDL_GetWindowSurface", s.getWindowSurface);
    return s;
}

// 0xRRGGBB of one pixel through its masks.
Uint32 rgbOf(Uint32 v, Uint32 mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    Uint32 max = mask >> shift, c = (v & mask) >> shift;
    return max == 255 ? c : c * 255 / max;
}

} // namespace

bool sdlIsLayer() {
    const SDL_version* v = SDL_Linked_Version();
    return v && v->major == 1 && v->minor == 2 && v->patch >= 50;
}

bool layerCanScale() {
    Sdl2& s = sdl2();
    return s.getWindow && s.setWindowSize && s.setWindowMinimumSize && s.setWindowPosition &&
           s.getRenderer && s.setIntegerScale;
}

bool layerUseWholeBlocks() {
    if (!layerCanScale()) return false;
    Sdl2& s = sdl2();
    void* window = s.getWindow();
    void* renderer = window ? s.getRenderer(window) : nullptr;
    if (!renderer || s.setIntegerScale(renderer, 1) != 0) return false;
    // Below 320x240 no whole-number block would fit.
    s.setWindowMinimumSize(window, 320, 240);
    return true;
}

bool layerSetWindowSize(int w, int h) {
    if (!layerCanScale()) return false;
    Sdl2& s = sdl2();
    void* window = s.getWindow();
    if (!window) return false;
    s.setWindowSize(window, w, h);
    s.setWindowPosition(window, centred, centred);
    return true;
}

const char* layerRendererName() {
    Sdl2& s = sdl2();
    if (!s.getWindow || !s.getRenderer || !s.getRendererInfo) return "";
    void* window = s.getWindow();
    void* renderer = window ? s.getRenderer(window) : nullptr;
    Sdl2RendererInfo info;
    if (!renderer || s.getRendererInfo(renderer, &info) != 0 || !info.name) return "";
    return info.name;
}

bool shownPicture(std::vector<Uint32>& pixels, int& w, int& h) {
    SDL_Surface* video = SDL_GetVideoSurface();
    if (!video) return false;
    if (!sdlIsLayer()) {
        const SDL_PixelFormat* f = video->format;
        if (f->BytesPerPixel != 2 && f->BytesPerPixel != 4) return false;
        w = video->w;
        h = video->h;
        pixels.resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            const Uint8* row = static_cast<const Uint8*>(video->pixels) + y * video->pitch;
            for (int x = 0; x < w; ++x) {
                Uint32 v = f->BytesPerPixel == 4 ? reinterpret_cast<const Uint32*>(row)[x]
                                                 : reinterpret_cast<const Uint16*>(row)[x];
                Uint8 r, g, b;
                SDL_GetRGB(v, video->format, &r, &g, &b);
                pixels[static_cast<size_t>(y) * w + x] = (Uint32(r) << 16) | (g << 8) | b;
            }
        }
        return true;
    }
    // The layer's window holds its last present: present this frame whole first. Only a
    // renderer drawing into the window's own memory can be read back (SDL2's software one,
    // as under the dummy driver).
    Sdl2& s = sdl2();
    if (!s.getWindowSurface) return false;
    SDL_Flip(video);
    if (std::strcmp(layerRendererName(), "software") != 0) return false;
    Sdl2Surface* shown = s.getWindowSurface(s.getWindow());
    if (!shown || !shown->pixels || shown->format->bytesPerPixel != 4) return false;
    w = shown->w;
    h = shown->h;
    pixels.resize(static_cast<size_t>(w) * h);
    const Sdl2Format* f = shown->format;
    for (int y = 0; y < h; ++y) {
        const Uint32* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(shown->pixels) + y * shown->pitch);
        for (int x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = (rgbOf(row[x], f->rMask) << 16) |
                                                     (rgbOf(row[x], f->gMask) << 8) |
                                                     rgbOf(row[x], f->bMask);
    }
    return true;
}
