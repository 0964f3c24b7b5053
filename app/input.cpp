#include "app/input.h"

#include "app/platform.h"
#include "app/video_mode.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/present.h"
#include "gfx/sound_cues.h"

namespace {

// StepBack is the desktop's Escape: Back on a match, but on the title it only points at the
// exit, which the player still has to confirm.
enum Action { None, Up, Down, Left, Right, Activate, Back, StepBack };

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
    case StepBack:
        game.menuSelection = 3;
        break;
    default:
        break;
    }
}

// Opens the cell for the human to move if its lid is still shut; Closed means nothing opened.
// Only the first opening of a frame counts: a second would overwrite the first's reveal.
int openIfAllowed(int cell) {
    if (frame.openedThisFrame) return Closed;
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
    case StepBack:
        // After an opening the frame belongs to it: leaving now would skip the scoring of
        // its reveal while the animation still brought the match back.
        if (!frame.openedThisFrame) game.screen = Title; // the match is dropped
        break;
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
    case SDLK_ESCAPE:
        return StepBack;
    default:
        return None;
    }
}

Action padAction(PadRole role) {
    switch (role) {
    case PadUp:
        return Up;
    case PadDown:
        return Down;
    case PadLeft:
        return Left;
    case PadRight:
        return Right;
    case PadFace:
        return Activate;
    case PadStart:
        return Back;
    default:
        return None;
    }
}

bool isDirection(PadRole role) {
    return role == PadUp || role == PadDown || role == PadLeft || role == PadRight;
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

// Window pixel to game pixel; -1 in the borders around a full-screen picture.
int gameCoordinate(int p, int offset) {
    int scale = game.displayScale > 0 ? game.displayScale : 1;
    return p < offset ? -1 : (p - offset) / scale;
}

void mouseRelease(int px, int py) {
    int x = gameCoordinate(px, game.displayOffsetX);
    int y = gameCoordinate(py, game.displayOffsetY);
    if (game.screen == Title) {
        titleClick(x, y);
        // The release that starts a match belongs to the menu, never to the board.
        return;
    }
    // After an opening, the rest of the frame's clicks do nothing, and nothing resets
    // the reveal that this frame will score.
    if (game.screen == Play && !frame.openedThisFrame) {
        int result = boardClick(x, y);
        if (result != Closed) frame.frameRevealResult = result;
    }
}

// Alt+Enter or F11: between a window and the whole screen.
bool isFullscreenKey(const SDL_keysym& key) {
    if (key.sym == SDLK_F11) return true;
    return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT);
}

bool isDirectionKey(SDLKey sym) {
    return sym == SDLK_UP || sym == SDLK_DOWN || sym == SDLK_LEFT || sym == SDLK_RIGHT;
}

} // namespace

PadRole padRole(int button) {
    if (game.padLayout == PadLayoutKeysOnly) return PadNothing;
    if (game.padLayout == PadLayoutDesktop) {
        // The usual numbering of desktop pads: A B X Y, the shoulders, Back, Start.
        if (button >= 0 && button <= 3) return PadFace;
        if (button == 4) return PadVolumeDown;
        if (button == 5) return PadVolumeUp;
        if (button == 7) return PadStart;
        return PadNothing;
    }
    switch (button) {
    case 0:
        return PadUp;
    case 2:
        return PadLeft;
    case 4:
        return PadDown;
    case 6:
        return PadRight;
    case 8:
        return PadStart;
    case 12:
    case 13:
    case 14:
    case 15:
        return PadFace;
    case 16:
        return PadVolumeUp;
    case 17:
        return PadVolumeDown;
    default:
        return PadNothing; // the diagonals 1, 3, 5, 7 are not directions
    }
}

void handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN: {
        SDLKey sym = event.key.keysym.sym;
        if (isFullscreenKey(event.key.keysym)) {
            toggleFullscreen();
            break;
        }
        // The +/= key reads as '=' on most layouts, with or without Shift.
        if (sym == SDLK_PLUS || sym == SDLK_EQUALS || sym == SDLK_KP_PLUS)
            volumeUp();
        else if (sym == SDLK_MINUS || sym == SDLK_KP_MINUS)
            volumeDown();
        screenAction(keyAction(sym));
        break;
    }
    case SDL_KEYUP:
        if (isDirectionKey(event.key.keysym.sym)) releaseAllDirections();
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) mouseRelease(event.button.x, event.button.y);
        break;
    case SDL_JOYBUTTONDOWN: {
        PadRole role = padRole(event.jbutton.button);
        if (role == PadVolumeUp)
            volumeUp();
        else if (role == PadVolumeDown)
            volumeDown();
        else
            screenAction(padAction(role));
        break;
    }
    case SDL_JOYBUTTONUP:
        if (isDirection(padRole(event.jbutton.button))) releaseAllDirections();
        break;
    case SDL_JOYHATMOTION: {
        if (game.padLayout == PadLayoutKeysOnly) break;
        // A desktop pad's d-pad: a new position presses its directions, centred releases.
        Uint8 v = event.jhat.value;
        if (v == SDL_HAT_CENTERED) {
            releaseAllDirections();
            break;
        }
        if (v & SDL_HAT_UP) screenAction(Up);
        if (v & SDL_HAT_DOWN) screenAction(Down);
        if (v & SDL_HAT_LEFT) screenAction(Left);
        if (v & SDL_HAT_RIGHT) screenAction(Right);
        break;
    }
    case SDL_ACTIVEEVENT:
        // Keys let go of while the window was away never arrive: release them now.
        if ((event.active.state & SDL_APPINPUTFOCUS) && event.active.gain == 0)
            releaseAllDirections();
        break;
    case SDL_VIDEORESIZE:
        resizeWindow(event.resize.w, event.resize.h);
        break;
    case SDL_VIDEOEXPOSE:
        presentWholeNextFrame();
        break;
    case SDL_QUIT:
        // A window-close request leaves like the exit item, so the Results are saved.
        game.quitRequested = 1;
        break;
    default:
        break;
    }
}
