#include "app/input.h"

#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/sound_cues.h"

namespace {

// Pad buttons of the handheld as SDL joystick 0.
enum PadButton {
    PadUp = 0,
    PadLeft = 2,
    PadDown = 4,
    PadRight = 6,
    PadStart = 8,
    PadFaceFirst = 12,
    PadFaceLast = 15,
    PadVolumeUp = 16,
    PadVolumeDown = 17,
};

enum Action { None, Up, Down, Left, Right, Activate, Back };

void menuUp() {
    game.menuSelection -= 1;
    if (game.menuSelection < 0) game.menuSelection = 3;
}

void menuDown() {
    game.menuSelection += 1;
    if (game.menuSelection > 3) game.menuSelection = 0;
}

void winsDown() {
    game.winsNeeded -= 1;
    if (game.winsNeeded <= 0) game.winsNeeded = 9;
}

void winsUp() {
    game.winsNeeded += 1;
    if (game.winsNeeded > 9) game.winsNeeded = 1;
}

void beginMatch(int mode) {
    game.gameMode = mode;
    game.screen = Play;
    startMatch();
}

void titleAction(Action a) {
    switch (a) {
    case Up:
        menuUp();
        break;
    case Down:
        menuDown();
        break;
    case Left:
        if (game.menuSelection == 2) winsDown();
        break;
    case Right:
        if (game.menuSelection == 2) winsUp();
        break;
    case Activate:
        if (game.menuSelection == 0)
            beginMatch(1);
        else if (game.menuSelection == 1)
            beginMatch(2);
        else if (game.menuSelection == 3)
            game.quitRequested = 1;
        break;
    default:
        break;
    }
}

// Opens the cell for the human to move if its lid is still shut; Closed means nothing opened.
int openIfAllowed(int cell) {
    CellState s = cellStateAt(cell);
    return ((s == Closed || s == Jammed) && humanTurn()) ? openCell(cell) : Closed;
}

void openAtCursor() {
    int result = openIfAllowed(game.cursorCol + 10 * game.cursorRow);
    if (result != Closed) frame.frameRevealResult = result;
}

void playAction(Action a) {
    switch (a) {
    case Up:
        pressDirection(0);
        break;
    case Down:
        pressDirection(1);
        break;
    case Left:
        pressDirection(2);
        break;
    case Right:
        pressDirection(3);
        break;
    case Activate:
        openAtCursor();
        break;
    case Back:
        game.screen = Title;
        break; // the match is dropped
    default:
        break;
    }
}

void screenAction(Action a) {
    if (game.screen == Title)
        titleAction(a);
    else if (game.screen == Play)
        playAction(a);
}

Action keyAction(SDLKey sym) {
    switch (sym) {
    case SDLK_UP:
        return Up;
    case SDLK_DOWN:
        return Down;
    case SDLK_LEFT:
        return Left;
    case SDLK_RIGHT:
        return Right;
    case SDLK_SPACE:
        return Activate;
    case SDLK_RCTRL:
        return Back;
    default:
        return None;
    }
}

Action padAction(int button) {
    if (button == PadUp) return Up;
    if (button == PadDown) return Down;
    if (button == PadLeft) return Left;
    if (button == PadRight) return Right;
    if (button >= PadFaceFirst && button <= PadFaceLast) return Activate;
    if (button == PadStart) return Back;
    return None;
}

void titleClick(int x, int y) {
    if (x >= 48 && x <= 107 && y >= 100 && y <= 129) {
        game.menuSelection = 0;
        beginMatch(1);
    } else if (x >= 48 && x <= 107 && y >= 130 && y <= 159) {
        game.menuSelection = 1;
        beginMatch(2);
    } else if (x >= 48 && x <= 69 && y >= 160 && y <= 189) {
        game.menuSelection = 2;
        winsDown();
    } else if (x >= 90 && x <= 111 && y >= 160 && y <= 189) {
        game.menuSelection = 2;
        winsUp();
    } else if (x >= 70 && x <= 89 && y >= 190 && y <= 219) {
        game.quitRequested = 1;
    }
}

int boardClick(int x, int y) {
    if (x < 100 || x > 299 || y < 20 || y > 219) return Closed;
    game.cursorCol = (x - 100) / 20;
    game.cursorRow = (y - 20) / 20;
    return openIfAllowed(game.cursorCol + 10 * game.cursorRow);
}

void mouseRelease(int px, int py) {
    int x = px / game.displayScale;
    int y = py / game.displayScale;
    if (game.screen == Title) {
        titleClick(x, y);
        // The release that starts a match belongs to the menu, never to the board.
        return;
    }
    if (game.screen == Play) frame.frameRevealResult = boardClick(x, y);
}

bool isDirectionKey(SDLKey sym) {
    return sym == SDLK_UP || sym == SDLK_DOWN || sym == SDLK_LEFT || sym == SDLK_RIGHT;
}

} // namespace

void handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_PLUS)
            volumeUp();
        else if (event.key.keysym.sym == SDLK_MINUS)
            volumeDown();
        screenAction(keyAction(event.key.keysym.sym));
        break;
    case SDL_KEYUP:
        if (isDirectionKey(event.key.keysym.sym)) releaseAllDirections();
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) mouseRelease(event.button.x, event.button.y);
        break;
    case SDL_JOYBUTTONDOWN:
        if (event.jbutton.button == PadVolumeUp)
            volumeUp();
        else if (event.jbutton.button == PadVolumeDown)
            volumeDown();
        else
            screenAction(padAction(event.jbutton.button));
        break;
    case SDL_JOYBUTTONUP: {
        int b = event.jbutton.button;
        if (b == PadUp || b == PadLeft || b == PadDown || b == PadRight) releaseAllDirections();
        break;
    }
    case SDL_QUIT:
        // A window-close request leaves like the exit item, so the Results are saved.
        game.quitRequested = 1;
        break;
    default:
        break;
    }
}
