// Today's ARM Linux handhelds: the firmware scales the 320x240 picture to its screen, and
// the launcher's pad mapper turns the pad into keys, so the game reads the keyboard only
// (reading the pad as well would act twice on every press).
#include "app/platform.h"

PadLayout platformPadLayout() {
    return PadLayoutKeysOnly;
}
