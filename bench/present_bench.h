#pragma once

// The child's side of a presentation timing: "--present SCALE". Prints
// "present: TITLE BOARD LIBRARY" (thread and process microseconds per frame) and leaves.
int presentationRun(int argc, char** argv);
// Times the presentation at each scale in children of self under an X server (Xvfb when
// DISPLAY is not set) and prints the figures; false, with a message, when it could not.
bool presentationSection(const char* self);
