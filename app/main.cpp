#include "app/frame_loop.h"
#include "game/game_state.h"

int main(int argc, char** argv) {
    if (startGame(argc, argv) != 0) return 1;
    while (game.quitRequested == 0)
        runFrame(true);
    releaseGame();
    return handOverToMenu();
}
