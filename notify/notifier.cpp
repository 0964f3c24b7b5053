#include "notify/notifier.h"

#include "notify/embedded_resources.h"

// The loaders only read from the stream, so handing them the constant bytes is safe.
static SDL_RWops* streamOver(const unsigned char* bytes, int size) {
    if (!bytes || size <= 0) return nullptr;
    return SDL_RWFromMem(const_cast<unsigned char*>(bytes), size);
}

SDL_Surface* loadKeyedBitmap(const unsigned char* bytes, int size, SDL_Surface* target) {
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

TTF_Font* openFontBytes(const unsigned char* bytes, int size) {
    if (!TTF_WasInit() && TTF_Init() < 0) return nullptr;
    SDL_RWops* stream = streamOver(bytes, size);
    if (!stream) return nullptr;
    return TTF_OpenFontRW(stream, 1, 8);
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

void shutdownNotifier() {
    notifierTarget = nullptr;
    freeImages();
}
