// The GP2X family: a 320x240 screen, the pad as joystick 0, the registry on the SD card.
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
    return PadLayoutHandheld;
}

void platformBeforeSdlInit() {}
