// What the GP2X family and today's handhelds share: the 320x240 screen, no pointer,
// the registry on the card unless the launcher names another base.
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

void platformBeforeSdlInit() {}
