#include "app/video_mode.h"

#include <SDL.h>

#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/present.h"
#include "gfx/sdl_layer.h"
#include "notify/notifier.h"

VideoModeState videoMode;

void resetVideoMode() {
    videoMode = VideoModeState();
}

namespace {

// An enlarged or bordered picture that the layer over SDL2 can show itself: scanlines are
// the game's own drawing, so they keep the game's enlargement.
bool layerCanShow(const DisplayPlan& plan) {
    bool enlarged = plan.scale != 1 || plan.width != 320 || plan.height != 240;
    return enlarged && !(game.scanlines && plan.scale >= 2) && layerCanScale();
}

} // namespace

bool openDisplay(const DisplayPlan& plan) {
    SDL_Surface* previous = screenSurface;
    // Ours to keep or free: a 320x240 surface of its own, never the one SDL set last.
    bool previousOwn = previous && previous != videoSurface && previous != SDL_GetVideoSurface();
    bool byLayer = layerCanShow(plan);
    SDL_Surface* video = byLayer
                             ? SDL_SetVideoMode(320, 240, 16, plan.flags)
                             : SDL_SetVideoMode(plan.width, plan.height, plan.depth, plan.flags);
    if (video && byLayer &&
        !(layerUseWholeBlocks() &&
          ((plan.flags & SDL_FULLSCREEN) || layerSetWindowSize(plan.width, plan.height)))) {
        // The layer would blur or stretch the picture: enlarge it here instead.
        byLayer = false;
        video = SDL_SetVideoMode(plan.width, plan.height, plan.depth, plan.flags);
    }
    if (!video) return false;
    videoSurface = video;
    presentation.layerScales = byLayer;
    videoMode.shown = plan;
    videoMode.settleUntil = byLayer && !(plan.flags & SDL_FULLSCREEN) ? SDL_GetTicks() + 1000 : 0;
    // Clicks arrive in the video surface's pixels: the layer maps its window to its mode.
    game.displayScale = byLayer ? 1 : plan.scale;
    game.displayOffsetX = byLayer ? 0 : plan.offsetX;
    game.displayOffsetY = byLayer ? 0 : plan.offsetY;
    game.fullscreenFlag = plan.flags & SDL_FULLSCREEN;
    if (!(plan.flags & SDL_FULLSCREEN)) {
        videoMode.windowW = plan.width;
        videoMode.windowH = plan.height;
    }
    SDL_Surface* screen = nullptr;
    if (video->w == 320 && video->h == 240 && video->format->BitsPerPixel == 16) {
        screen = video; // drawn on directly: one flip, no copy
    } else {
        SDL_FillRect(video, nullptr, 0); // the borders stay black
        screen = previousOwn
                     ? previous
                     : SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    }
    if (previousOwn && screen != previous) SDL_FreeSurface(previous);
    screenSurface = screen;
    // The old video surface is gone with the old mode; the overlay goes where screens draw.
    moveNotifier(previous, screen);
    presentNewMode();
    return screen != nullptr;
}

bool openFirstDisplay(int forcedScale) {
    // The desktop's size is only known before the first mode is set.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    videoMode.desktopW = info ? info->current_w : 0;
    videoMode.desktopH = info ? info->current_h : 0;
    videoMode.forcedScale = forcedScale;
    return openDisplay(platformDisplayPlan(videoMode.desktopW, videoMode.desktopH, forcedScale,
                                           game.fullscreenFlag));
}

namespace {

// The window as this target makes it, at the size the player gave it if it can be resized.
DisplayPlan windowedPlan() {
    DisplayPlan plan =
        platformDisplayPlan(videoMode.desktopW, videoMode.desktopH, videoMode.forcedScale, 0);
    if ((plan.flags & SDL_RESIZABLE) && videoMode.windowW > 0 && videoMode.windowH > 0)
        return resizedWindowPlan(videoMode.windowW, videoMode.windowH);
    return plan;
}

// Sets plan, else goes back to what was shown, else to the smallest window; the game
// runs on whatever SDL grants.
void switchTo(const DisplayPlan& plan, const DisplayPlan& current) {
    if (openDisplay(plan) || openDisplay(current) || openDisplay(windowPlan(1))) return;
    // No mode at all: nothing can be shown, so leave the way the exit item does. A screen
    // surface that was SDL's own went with the mode.
    if (screenSurface == videoSurface) {
        moveNotifier(screenSurface, nullptr);
        screenSurface = nullptr;
    }
    videoSurface = nullptr;
    game.quitRequested = 1;
}

DisplayPlan currentPlan() {
    if (game.fullscreenFlag)
        return platformDisplayPlan(videoMode.desktopW, videoMode.desktopH, videoMode.forcedScale,
                                   SDL_FULLSCREEN);
    return windowedPlan();
}

} // namespace

void toggleFullscreen() {
    DisplayPlan current = currentPlan();
    DisplayPlan next = game.fullscreenFlag
                           ? windowedPlan()
                           : platformDisplayPlan(videoMode.desktopW, videoMode.desktopH,
                                                 videoMode.forcedScale, SDL_FULLSCREEN);
    switchTo(next, current);
}

void resizeWindow(int w, int h) {
    // Only a resizable window is resized; SDL repeats its own size at times.
    if (game.fullscreenFlag || !videoSurface || (w == videoMode.windowW && h == videoMode.windowH))
        return;
    if (!(windowedPlan().flags & SDL_RESIZABLE)) return;
    DisplayPlan plan = resizedWindowPlan(w, h);
    if (presentation.layerScales && videoMode.settleUntil &&
        SDL_GetTicks() < videoMode.settleUntil) {
        // The window manager gives back the size the window had before full screen, after
        // the game asked for its own: ask again. Only for a moment, so a window manager
        // that insists is not fought for ever.
        layerSetWindowSize(videoMode.windowW, videoMode.windowH);
        presentWholeNextFrame();
        return;
    }
    if (presentation.layerScales && layerCanShow(plan)) {
        // The layer already shows the picture in the new window, whole blocks centred: a
        // new mode would only make it open a new window.
        videoMode.windowW = plan.width;
        videoMode.windowH = plan.height;
        videoMode.shown = plan;
        presentWholeNextFrame();
        return;
    }
    switchTo(plan, currentPlan());
}
