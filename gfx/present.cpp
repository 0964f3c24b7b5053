#include "gfx/present.h"

#include <cstring>

#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/sdl_layer.h"

SDL_Surface* videoSurface = nullptr;
Presentation presentation;

namespace {

const int frameW = 320;
const int frameH = 240;
// More separate changes than this in one frame go out as one rectangle: each costs the
// window system a request of its own.
const int maxBands = 16;
// Changed rows closer than this are sent together, the unchanged ones between them included.
const int bandGap = 4;

// RGB565 at half brightness: every channel shifted right by one.
inline Uint16 halfBright(Uint16 p) {
    return static_cast<Uint16>((p >> 1) & 0x7BEF);
}

template <typename T> inline T* fill(T* out, T v, int n) {
    for (int k = 0; k < n; ++k)
        *out++ = v;
    return out;
}

template <typename T>
void enlargeRows(SDL_Surface* src, SDL_Surface* dst, const Uint32* table, int scale, int offsetX,
                 int offsetY, bool darken, int x0, int y0, int w, int rows) {
    size_t span = static_cast<size_t>(w) * static_cast<size_t>(scale) * sizeof(T);
    for (int y = y0; y < y0 + rows; ++y) {
        const Uint16* in = reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(src->pixels) +
                                                           y * src->pitch) +
                           x0;
        Uint8* firstRow = static_cast<Uint8*>(dst->pixels) + (offsetY + y * scale) * dst->pitch +
                          static_cast<size_t>(offsetX + x0 * scale) * sizeof(T);
        T* out = reinterpret_cast<T*>(firstRow);
        for (int x = 0; x < w; ++x)
            out = fill(out, static_cast<T>(table[in[x]]), scale);
        // The block's other rows repeat the first one.
        int copies = darken ? scale - 2 : scale - 1;
        for (int r = 1; r <= copies; ++r)
            std::memcpy(firstRow + r * dst->pitch, firstRow, span);
        if (darken) {
            T* dim = reinterpret_cast<T*>(firstRow + (scale - 1) * dst->pitch);
            for (int x = 0; x < w; ++x)
                dim = fill(dim, static_cast<T>(table[halfBright(in[x])]), scale);
        }
    }
}

// Rows y0 .. y1 - 1 and columns x0 .. x1 - 1 of the frame.
struct Band {
    int x0, x1, y0, y1;
};

// The parts of frame that differ from last, which is brought up to date on the way.
int changedBands(SDL_Surface* frame, std::vector<Uint16>& last, Band* bands) {
    int count = 0;
    for (int y = 0; y < frameH; ++y) {
        const Uint16* now = reinterpret_cast<const Uint16*>(
            static_cast<const Uint8*>(frame->pixels) + y * frame->pitch);
        Uint16* before = &last[static_cast<size_t>(y) * frameW];
        if (std::memcmp(now, before, frameW * sizeof(Uint16)) == 0) continue;
        int x0 = 0, x1 = frameW;
        while (now[x0] == before[x0])
            ++x0;
        while (now[x1 - 1] == before[x1 - 1])
            --x1;
        std::memcpy(before + x0, now + x0, static_cast<size_t>(x1 - x0) * sizeof(Uint16));
        Band* b = count ? &bands[count - 1] : nullptr;
        if (b && y - b->y1 < bandGap) {
            b->y1 = y + 1;
            if (x0 < b->x0) b->x0 = x0;
            if (x1 > b->x1) b->x1 = x1;
        } else if (count < maxBands) {
            bands[count++] = Band{x0, x1, y, y + 1};
        } else {
            // Too many: the last band grows to take in the rest of the frame.
            b->x0 = 0;
            b->x1 = frameW;
            b->y1 = y + 1;
        }
    }
    return count;
}

void rememberWholeFrame(SDL_Surface* frame) {
    presentation.lastFrame.resize(static_cast<size_t>(frameW) * frameH);
    for (int y = 0; y < frameH; ++y)
        std::memcpy(&presentation.lastFrame[static_cast<size_t>(y) * frameW],
                    static_cast<const Uint8*>(frame->pixels) + y * frame->pitch,
                    frameW * sizeof(Uint16));
}

} // namespace

void resetPresentation() {
    presentation = Presentation();
}

void presentNewMode() {
    // Built by the first frame that is enlarged: a bare 320x240 screen never needs one.
    presentation.colourTable.clear();
    presentation.sendWhole = 1;
}

void presentWholeNextFrame() {
    presentation.sendWhole = 1;
}

void buildColourTable(const SDL_PixelFormat* f, std::vector<Uint32>& table) {
    table.assign(65536, 0);
    if (!f || (f->BytesPerPixel != 2 && f->BytesPerPixel != 4)) return;
    // SDL's own conversion of every value: its blitters widen channels differently from one
    // pair of formats to another (shifted up, or with the high bits repeated below).
    SDL_Surface* all = SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, 16, 0xF800, 0x07E0, 0x001F, 0);
    SDL_Surface* out = SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, f->BitsPerPixel, f->Rmask,
                                            f->Gmask, f->Bmask, f->Amask);
    if (all && out) {
        for (int y = 0; y < 256; ++y) {
            Uint16* row =
                reinterpret_cast<Uint16*>(static_cast<Uint8*>(all->pixels) + y * all->pitch);
            for (int x = 0; x < 256; ++x)
                row[x] = static_cast<Uint16>(y * 256 + x);
        }
        SDL_BlitSurface(all, nullptr, out, nullptr);
        for (int y = 0; y < 256; ++y) {
            const Uint8* row = static_cast<const Uint8*>(out->pixels) + y * out->pitch;
            for (int x = 0; x < 256; ++x)
                table[static_cast<size_t>(y * 256 + x)] =
                    f->BytesPerPixel == 4 ? reinterpret_cast<const Uint32*>(row)[x]
                                          : reinterpret_cast<const Uint16*>(row)[x];
        }
    }
    if (all) SDL_FreeSurface(all);
    if (out) SDL_FreeSurface(out);
}

void enlargeArea(SDL_Surface* src, SDL_Surface* dst, const std::vector<Uint32>& table, int scale,
                 int offsetX, int offsetY, bool scanlines, int x0, int y0, int w, int rows) {
    if (!src || !dst || scale < 1 || table.size() != 65536) return;
    int bytes = dst->format->BytesPerPixel;
    if (src->format->BytesPerPixel != 2 || (bytes != 2 && bytes != 4)) return;
    if (x0 < 0 || y0 < 0 || w < 1 || rows < 1 || x0 + w > src->w || y0 + rows > src->h) return;
    if (offsetX < 0 || offsetY < 0 || offsetX + src->w * scale > dst->w ||
        offsetY + src->h * scale > dst->h)
        return;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) < 0) return;
    bool darken = scanlines && scale >= 2;
    if (bytes == 4)
        enlargeRows<Uint32>(src, dst, table.data(), scale, offsetX, offsetY, darken, x0, y0, w,
                            rows);
    else
        enlargeRows<Uint16>(src, dst, table.data(), scale, offsetX, offsetY, darken, x0, y0, w,
                            rows);
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
}

void enlargeFrame(SDL_Surface* src, SDL_Surface* dst, const std::vector<Uint32>& table, int scale,
                  int offsetX, int offsetY, bool scanlines) {
    if (src) enlargeArea(src, dst, table, scale, offsetX, offsetY, scanlines, 0, 0, src->w, src->h);
}

void presentFrame() {
    if (!screenSurface) return;
    // Drawn on directly: the video surface is the frame itself. The layer over SDL2 redraws
    // its whole window at every present anyway, so what counts there is how much it
    // converts: only the changed parts, which it shows at the next refresh of the screen.
    bool direct = !videoSurface || videoSurface == screenSurface;
    if (direct && !(videoSurface && (presentation.layerScales || sdlIsLayer()))) {
        SDL_Flip(screenSurface);
        return;
    }
    if (!direct && presentation.colourTable.size() != 65536)
        buildColourTable(videoSurface->format, presentation.colourTable);
    int scale = direct ? 1 : game.displayScale;
    int ox = direct ? 0 : game.displayOffsetX, oy = direct ? 0 : game.displayOffsetY;
    bool lines = game.scanlines != 0;
    // A double-buffered screen alternates between two pictures, so each one gets everything.
    bool whole = presentation.sendWhole || (videoSurface->flags & SDL_DOUBLEBUF) ||
                 presentation.lastFrame.size() != static_cast<size_t>(frameW) * frameH ||
                 screenSurface->w != frameW || screenSurface->h != frameH;
    if (whole) {
        if (!direct)
            enlargeFrame(screenSurface, videoSurface, presentation.colourTable, scale, ox, oy,
                         lines);
        if (screenSurface->w == frameW && screenSurface->h == frameH)
            rememberWholeFrame(screenSurface);
        presentation.sendWhole = 0;
        SDL_Flip(videoSurface);
        return;
    }
    Band bands[maxBands];
    int count = changedBands(screenSurface, presentation.lastFrame, bands);
    if (count == 0) return; // the window already shows this frame
    SDL_Rect rects[maxBands];
    for (int i = 0; i < count; ++i) {
        const Band& b = bands[i];
        if (!direct)
            enlargeArea(screenSurface, videoSurface, presentation.colourTable, scale, ox, oy, lines,
                        b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
        rects[i].x = static_cast<Sint16>(ox + b.x0 * scale);
        rects[i].y = static_cast<Sint16>(oy + b.y0 * scale);
        rects[i].w = static_cast<Uint16>((b.x1 - b.x0) * scale);
        rects[i].h = static_cast<Uint16>((b.y1 - b.y0) * scale);
    }
    SDL_UpdateRects(videoSurface, count, rects);
}
