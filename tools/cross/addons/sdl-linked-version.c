/* Prints the version of the SDL 1.2 library the loader chose ("1.2.68"), so that a run
 * meant for the SDL 1.2 layer over SDL2 can tell it did not get SDL 1.2.15 instead. */
#include <SDL.h>
#include <stdio.h>

int main(void) {
    const SDL_version* v = SDL_Linked_Version();
    printf("%d.%d.%d\n", v->major, v->minor, v->patch);
    return 0;
}
