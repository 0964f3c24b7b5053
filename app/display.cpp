#include <SDL.h>
#include <cstdlib>
#include <cstring>

#include "app/platform.h"

namespace {
const int maxScale = 8;
}

int windowScaleFor(int desktopW, int desktopH) {
    if (desktopW <= 0 || desktopH <= 0) return 1;
    int scale = 1;
    // 90 % of the desktop, in integers: 320 s <= 0.9 W is 3200 s <= 9 W.
    while (scale < maxScale && 3200 * (scale + 1) <= 9 * desktopW &&
           2400 * (scale + 1) <= 9 * desktopH)
        ++scale;
    return scale;
}

int fullscreenScaleFor(int screenW, int screenH) {
    int scale = 1;
    while (320 * (scale + 1) <= screenW && 240 * (scale + 1) <= screenH)
        ++scale;
    return scale;
}

namespace {

// Only the bare 320x240 picture is drawn straight onto the video surface, in the game's
// own 16 bits; an enlarged or bordered one is written in the display's format, so SDL
// converts nothing.
int depthFor(int scale, int w, int h) {
    return scale == 1 && w == 320 && h == 240 ? 16 : 0;
}

DisplayPlan centredPlan(int w, int h, uint32_t flags) {
    int scale = fullscreenScaleFor(w, h);
    return DisplayPlan{
        scale, w, h, (w - 320 * scale) / 2, (h - 240 * scale) / 2, flags, depthFor(scale, w, h)};
}

} // namespace

DisplayPlan windowPlan(int scale) {
    if (scale < 1 || scale > maxScale) scale = 1;
    return DisplayPlan{
        scale, 320 * scale, 240 * scale, 0, 0, 0, depthFor(scale, 320 * scale, 240 * scale)};
}

DisplayPlan fullscreenPlan(int screenW, int screenH) {
    return centredPlan(screenW, screenH, SDL_FULLSCREEN);
}

DisplayPlan resizedWindowPlan(int w, int h) {
    return centredPlan(w < 320 ? 320 : w, h < 240 ? 240 : h, SDL_RESIZABLE);
}

int parseScaleArgument(int argc, char** argv) {
    int scale = 0;
    for (int i = 0; i + 1 < argc; ++i) {
        if (!argv[i] || !argv[i + 1] || std::strcmp(argv[i], "-scale") != 0) continue;
        const char* n = argv[i + 1];
        // One digit, 1 to 8; anything else is ignored like any unknown argument.
        if (n[0] >= '1' && n[0] <= '0' + maxScale && n[1] == '\0') scale = n[0] - '0';
    }
    return scale;
}

bool isUsableRegistryBase(const char* value) {
    if (!value) return false;
    size_t n = std::strlen(value);
    // Paths are built by concatenation, so the base must be absolute and end in "/".
    return n >= 2 && n < 1024 && value[0] == '/' && value[n - 1] == '/';
}

std::string registryBaseDir() {
    const char* env = std::getenv("VESPERALIA_EXP_BASE");
    return isUsableRegistryBase(env) ? std::string(env) : platformRegistryBase();
}
