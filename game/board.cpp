#include "game/board.h"

#include <cstdlib>

#include "game/game_state.h"

Board::Board() {
    deal(9);
    target = -1;
}

void Board::deal(int newLevel) {
    if (newLevel > 9) newLevel = 9;
    if (newLevel < 0) newLevel = 0;
    level = newLevel;
    target = std::rand() % 100;
    for (int32_t& c : cells)
        c = Closed;
}

CellState Board::reveal(int index) {
    if (static_cast<unsigned>(index) > 99) return Empty;
    int32_t& cell = cells[index];
    if (cell != Closed && cell != Jammed) return static_cast<CellState>(cell);
    // The draws come in this order and only as far as needed: lid, target, hint, kind.
    if (std::rand() % 10 > level) {
        cell = Jammed; // also when it is the target
        return Jammed;
    }
    if (index == target) {
        cell = Target;
        return Target;
    }
    if (std::rand() % 10 <= level) {
        cell = index > target ? HintLower : HintHigher;
        return static_cast<CellState>(cell);
    }
    cell = (std::rand() % 10 <= 3) ? Empty : NoHint;
    return static_cast<CellState>(cell);
}

CellState Board::stateAt(int index) const {
    if (static_cast<unsigned>(index) > 99) return Empty;
    return static_cast<CellState>(cells[index]);
}

void initBoard(int level) {
    game.board.deal(level);
}
CellState revealCellAt(int index) {
    return game.board.reveal(index);
}
CellState cellStateAt(int index) {
    return game.board.stateAt(index);
}
int targetIndex() {
    return game.board.target;
}

bool oneClosedLeft() {
    int notClosed = 0;
    for (int i = 0; i < 100; ++i)
        if (cellStateAt(i) != Closed) ++notClosed;
    return notClosed == 99;
}
