/* Takes the place of SDL_image's JPEG, TIFF and WebP loaders in the handheld game, which
 * would need libjpeg, libtiff and libwebp beside it. Each behaves as SDL_image does when
 * it is built without that format: no image is recognised as one, IMG_Init reports the
 * flag as unsupported. */
#include <SDL.h>

#define LEFT_OUT(NAME, TEXT)                                                                  \
    int IMG_Init##NAME(void) {                                                                \
        SDL_SetError(TEXT " images are not supported");                                       \
        return -1;                                                                            \
    }                                                                                         \
    void IMG_Quit##NAME(void) {}                                                              \
    int IMG_is##NAME(SDL_RWops* src) {                                                        \
        (void)src;                                                                            \
        return 0;                                                                             \
    }                                                                                         \
    SDL_Surface* IMG_Load##NAME##_RW(SDL_RWops* src) {                                        \
        (void)src;                                                                            \
        return NULL;                                                                          \
    }

LEFT_OUT(JPG, "JPEG")
LEFT_OUT(TIF, "TIFF")
LEFT_OUT(WEBP, "WEBP")
