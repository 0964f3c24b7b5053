#include <cstdlib>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "game/results.h"
#include "gfx/screens.h"
#include "gfx/sound_cues.h"

GameState game;

void resetGameState() {
    game = GameState();
}

void TargetRange::reset() {
    low = -1;
    high = 100;
}

void TargetRange::raiseLow(int i) {
    if (low < i) low = i;
}

void TargetRange::lowerHigh(int i) {
    if (high > i) high = i;
}

bool TargetRange::hasCandidate() const {
    for (int i = low + 1; i < high; ++i)
        if (i >= 0 && i <= 99 && (cellStateAt(i) == Closed || cellStateAt(i) == Jammed))
            return true;
    return false;
}

int TargetRange::pick() {
    return low + 1 + (std::rand() % (high - low - 1));
}

bool humanTurn() {
    return game.currentPlayer == 1 || (game.currentPlayer == 2 && game.gameMode == 2);
}

void startMatch() {
    initBoard(9);
    game.cpuRange.reset();
    game.scorePlayer1 = 0;
    game.scorePlayer2 = 0;
    game.currentPlayer = 1;
    game.cursorCol = 5;
    game.cursorRow = 5;
}

void startRound() {
    game.roundOpenings = 0;
    game.lowerHintSeen = -1;
    game.higherHintSeen = -1;
    game.openedBeforeTarget = 0;
    game.openedAfterTarget = 0;
    // The board gets less generous every three rounds, down to level 5.
    int level = 9 - ((game.scorePlayer1 + game.scorePlayer2) / 3);
    if (level > 9) level = 9;
    if (level < 5) level = 5;
    initBoard(level);
    game.cpuRange.reset();
}

void startOpening(int cell) {
    if (static_cast<unsigned>(cell) > 99) return;
    game.revealFramesLeft = 15;
    game.revealCell = cell;
    game.revealFromJammed = cellStateAt(cell) == Jammed ? 1 : 0;
    playOpenSound();
}

CellState openCell(int cell) {
    frame.openedThisFrame = 1;
    game.roundOpenings += 1;
    startOpening(cell);
    CellState result = revealCellAt(cell);
    if (game.gameMode == 1) {
        // The computer uses the human's hints as well as its own.
        if (result == HintLower) {
            game.cpuRange.lowerHigh(cell);
            game.lowerHintSeen = 1;
        } else if (result == HintHigher) {
            game.cpuRange.raiseLow(cell);
            game.higherHintSeen = 1;
        }
    }
    // Neighbours in index order: the end of a row and the start of the next count.
    if (targetIndex() == cell + 1) game.openedBeforeTarget = 1;
    if (targetIndex() == cell - 1) game.openedAfterTarget = 1;
    if (game.openedBeforeTarget && game.openedAfterTarget) unlockItem(14);
    if (oneClosedLeft()) unlockItem(11);
    return result;
}

void playStep() {
    autoRepeatStep();
    // One opening per frame, and none when nothing openable is left in the interval: the
    // pick below would otherwise never end.
    if (game.gameMode == 1 && game.currentPlayer == 2 && !frame.openedThisFrame &&
        game.cpuRange.hasCandidate()) {
        frame.openedThisFrame = 1;
        int cell;
        do {
            cell = game.cpuRange.pick();
        } while (cellStateAt(cell) != Closed && cellStateAt(cell) != Jammed);
        startOpening(cell);
        CellState result = revealCellAt(cell);
        frame.frameRevealResult = result;
        if (result == HintLower) game.cpuRange.lowerHigh(cell);
        if (result == HintHigher) game.cpuRange.raiseLow(cell);
    }
    if (frame.frameRevealResult == Target) {
        if (game.currentPlayer == 1) {
            game.scorePlayer1 += 1;
            if (game.roundOpenings == 1) unlockItem(15);
            if (game.gameMode == 1) {
                if (game.lowerHintSeen == 1 && game.higherHintSeen == -1) unlockItem(12);
                if (game.lowerHintSeen == -1 && game.higherHintSeen == 1) unlockItem(13);
            }
        } else {
            game.scorePlayer2 += 1;
        }
    }
    drawPlayScreen();
}

void passTurn() {
    game.currentPlayer = game.currentPlayer == 1 ? 2 : 1;
}

void finishRound() {
    // A win's unlocks and its Results reach the card together.
    CardBatch win;
    game.foundFramesLeft = 0;
    game.screen = Play;
    startRound(); // dealt even when the match has ended; the next match deals its own
    if (game.scorePlayer1 >= game.winsNeeded) {
        if (game.gameMode == 2) {
            startMatchEnd();
            return;
        }
        unlockItem(1);
        if (game.winsNeeded <= 3)
            game.shortMatchWins += 1;
        else if (game.winsNeeded <= 6)
            game.mediumMatchWins += 1;
        else
            game.longMatchWins += 1;
        // Saved at once, so a win survives the handheld being switched off.
        saveResults();
        // Reported again after every later win; the registry ignores repeats.
        if (game.shortMatchWins > 9) unlockItem(2);
        if (game.shortMatchWins > 29) unlockItem(3);
        if (game.mediumMatchWins > 9) unlockItem(4);
        if (game.mediumMatchWins > 29) unlockItem(5);
        if (game.longMatchWins > 9) unlockItem(6);
        if (game.longMatchWins > 29) unlockItem(7);
    } else if (game.scorePlayer2 < game.winsNeeded) {
        return; // the match goes on, with the finder to move
    }
    if (game.gameMode == 1 && game.scorePlayer1 >= game.winsNeeded && game.scorePlayer2 == 0) {
        if (game.winsNeeded <= 3)
            unlockItem(8);
        else if (game.winsNeeded <= 6)
            unlockItem(9);
        else
            unlockItem(10);
    }
    startMatchEnd();
}
