#include "gfx/sound_cues.h"

#include "game/game_state.h"
#include "gfx/assets.h"

// Played once on the first free channel; a null chunk (no file, no device) is silent.
static void play(Mix_Chunk* chunk) {
    if (chunk) Mix_PlayChannelTimed(-1, chunk, 0, -1);
}

void playOpenSound() {
    play(sounds.openSound);
}

void startFoundPause() {
    play(sounds.ohhSound);
    game.foundFramesLeft = 50;
}

void startSearch(int cell) {
    game.searchFramesLeft = 50;
    game.searchFrame = 0;
    game.searchFrameTicks = 6;
    game.searchCell = cell;
    play(sounds.searchSound);
}

void startMatchEnd() {
    play(sounds.clapSound);
    game.endRectPlayer1.x = 20;
    game.endRectPlayer1.y = 80;
    game.endRectPlayer2.x = 20;
    game.endRectPlayer2.y = 140;
    game.endFadeAlpha = 255;
    game.endHoldFrames = 150;
    game.screen = MatchEnd;
}

// The mixer's channel table is gone once the device is closed, so only an open
// device is told the volume.
static void applyVolume() {
    int frequency, channels;
    Uint16 format;
    if (Mix_QuerySpec(&frequency, &format, &channels)) Mix_Volume(-1, game.volume);
}

void volumeUp() {
    if (game.volume <= 110) game.volume += 10;
    applyVolume();
}

void volumeDown() {
    if (game.volume > 9) game.volume -= 10;
    applyVolume();
}
