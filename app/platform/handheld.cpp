// Today's ARM Linux handhelds: the firmware scales the 320x240 picture to its screen, and
// the launcher's pad mapper turns the pad into keys, so the game reads the keyboard only
// (reading the pad as well would act twice on every press). The launcher names the
// registry's base.
#include "app/platform.h"

DisplayPlan platformDisplayPlan(int, int, int, uint32_t fullscreenFlag) {
    // Always the screen's own size; "-fullscreen" goes to the video mode as it is.
    DisplayPlan plan = windowPlan(1);
    plan.flags = fullscreenFlag;
    return plan;
}

bool platformShowsPointer() {
    return false;
}

std::string platformRegistryBase() {
    return "/mnt/sd/exp/";
}

PadLayout platformPadLayout() {
    return PadLayoutKeysOnly;
}

void platformBeforeSdlInit() {}
