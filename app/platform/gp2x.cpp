// The GP2X family: the pad is joystick 0, with the handheld's own button numbers.
#include "app/platform.h"

PadLayout platformPadLayout() {
    return PadLayoutHandheld;
}
