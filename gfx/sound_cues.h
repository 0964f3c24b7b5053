#pragma once

// The four sound cues; three of them also start the timed screen that follows.
void playOpenSound();       // a coffin starts to open
void startFoundPause();     // the target shows: the gasp, then a 50-frame pause
void startSearch(int cell); // a searched coffin: 50 frames of rummaging
void startMatchEnd();       // applause and the result screen

// Master volume, 0..120 in steps of 10, handed to every mixer channel.
void volumeUp();
void volumeDown();
