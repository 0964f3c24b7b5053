#include "gfx/present.h"

#include <cstdint>

#include "game/game_state.h"
#include "gfx/assets.h"

SDL_Surface* videoSurface = nullptr;

namespace {

// RGB565 at half brightness: every channel shifted right by one.
inline Uint16 halfBright(Uint16 p) {
    return static_cast<Uint16>((p >> 1) & 0x7BEF);
}

} // namespace

void enlargeFrame(SDL_Surface* src, SDL_Surface* dst, int scale, int offsetX, int offsetY,
                  bool scanlines) {
    if (!src || !dst || scale < 1) return;
    if (src->format->BytesPerPixel != 2 || dst->format->BytesPerPixel != 2) return;
    int w = src->w, h = src->h;
    if (offsetX < 0 || offsetY < 0 || offsetX + w * scale > dst->w || offsetY + h * scale > dst->h)
        return;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) < 0) return;
    bool darken = scanlines && scale >= 2;
    for (int y = 0; y < h; ++y) {
        const Uint16* in = reinterpret_cast<const Uint16*>(
            static_cast<const uint8_t*>(src->pixels) + y * src->pitch);
        uint8_t* firstRow =
            static_cast<uint8_t*>(dst->pixels) + (offsetY + y * scale) * dst->pitch + offsetX * 2;
        Uint16* out = reinterpret_cast<Uint16*>(firstRow);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < scale; ++k)
                *out++ = in[x];
        // The block's other rows repeat the first one.
        int copies = darken ? scale - 2 : scale - 1;
        for (int r = 1; r <= copies; ++r)
            SDL_memcpy(firstRow + r * dst->pitch, firstRow, static_cast<size_t>(w * scale * 2));
        if (darken) {
            Uint16* dim = reinterpret_cast<Uint16*>(firstRow + (scale - 1) * dst->pitch);
            const Uint16* bright = reinterpret_cast<const Uint16*>(firstRow);
            for (int x = 0; x < w * scale; ++x)
                dim[x] = halfBright(bright[x]);
        }
    }
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
}

void presentFrame() {
    if (!screenSurface) return;
    if (!videoSurface || videoSurface == screenSurface) {
        SDL_Flip(screenSurface);
        return;
    }
    enlargeFrame(screenSurface, videoSurface, game.displayScale, game.displayOffsetX,
                 game.displayOffsetY, game.scanlines != 0);
    SDL_Flip(videoSurface);
}
