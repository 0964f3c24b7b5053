// A desktop: a window scaled to today's screens, a visible pointer, the registry in the
// user's data directory.
#include <SDL.h>
#include <cstdlib>
#include <glob.h>
#include <sys/stat.h>

#include "app/platform.h"

DisplayPlan platformDisplayPlan(int desktopW, int desktopH, int forcedScale,
                                uint32_t fullscreenFlag) {
    // A 320x240 mode would leave today's monitors showing a small picture, or nothing:
    // full screen keeps the desktop's resolution and scales inside it.
    if (fullscreenFlag && desktopW >= 320 && desktopH >= 240)
        return fullscreenPlan(desktopW, desktopH);
    DisplayPlan plan = windowPlan(forcedScale ? forcedScale : windowScaleFor(desktopW, desktopH));
    plan.flags |= SDL_RESIZABLE; // a window the player can resize or maximise
    return plan;
}

bool platformShowsPointer() {
    return true;
}

std::string platformRegistryBase() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/vesperalia/exp/";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] == '/' ? home : "") + "/.local/share/vesperalia/exp/";
}

PadLayout platformPadLayout() {
    return PadLayoutDesktop;
}

namespace {

bool exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

// A sound server, or a sound card of the kernel's own.
bool soundDeviceLikely() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (std::getenv("PULSE_SERVER")) return true;
    if (runtime && (exists((std::string(runtime) + "/pulse/native").c_str()) ||
                    exists((std::string(runtime) + "/pipewire-0").c_str())))
        return true;
    glob_t found;
    bool any = glob("/dev/snd/pcmC*", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    globfree(&found);
    return any;
}

} // namespace

void platformBeforeSdlInit() {
    // Without any sound device the audio library prints a screenful of errors before
    // giving up; the silent driver gives the same silent game without them.
    if (!std::getenv("SDL_AUDIODRIVER") && !soundDeviceLikely())
        setenv("SDL_AUDIODRIVER", "dummy", 1);
}
