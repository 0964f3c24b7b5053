#pragma once
#include <cstdint>

// Coffin states; the numbers are stored in the board and read by the drawing.
enum CellState : int32_t {
    Target = 0,     // the target, found
    Closed = 1,     // closed, never tried
    Jammed = 2,     // tried, the lid did not open; still closed
    Empty = 3,      // opened, nothing inside, not searched
    NoHint = 4,     // opened and searched, no hint
    HintHigher = 5, // searched: the target has a higher index
    HintLower = 6,  // searched: the target has a lower index
};

// The 10x10 field of coffins; cell i lies in row i / 10, column i % 10.
struct Board {
    int32_t target;     // index of the hidden target, -1 until a match deals the board
    int32_t cells[100]; // CellState of each cell, in reading order
    int32_t level;      // reveal level 0..9: the higher, the more generous

    Board(); // dealt at level 9, with no target yet
    void deal(int newLevel);
    CellState reveal(int index);
    CellState stateAt(int index) const;
};

// The free functions below work on the board of the GameState.

// Re-deal the board at the given level (clamped to 0..9); one rand() for the target.
void initBoard(int level);
// One attempt to open the coffin at index; returns the cell's state afterwards.
CellState revealCellAt(int index);
// State of a cell; Empty for any index off the board, so it reads as not openable.
CellState cellStateAt(int index);
int targetIndex();
// True when exactly one cell is still Closed (Jammed cells count as not Closed).
bool oneClosedLeft();
