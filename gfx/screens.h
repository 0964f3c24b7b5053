#pragma once

// One routine per screen; each draws a full frame and the timed ones count down.
void drawTitleScreen();
void drawTicker();
void drawBoard(int skipCell);
void drawCursor();
void drawScorePanel();
void drawPlayScreen();
void drawOpeningScreen();
void drawSearchingScreen();
void drawFoundScreen();
void drawMatchEndScreen();

// Title animation state, kept between visits to the title.
struct TitleAnimation {
    float cloudOffset = 0.0f; // horizontal offset of the cloud layer
    int tickerX = 325;        // x of the scrolling banner
};
extern TitleAnimation titleAnimation;
