// The Reversi position: a 91-cell mailbox board (9 cells a row, Border all round),
// its 61 saved snapshots, and the rule primitives that the game and the search share.
// Fixed-size plain data; nothing here allocates.
#pragma once
#include <cstdint>

namespace dfx {

using Cell = int16_t;

constexpr Cell Border = -1;
constexpr Cell Empty = 0;
constexpr Cell White = 1;
constexpr Cell Black = 2;

constexpr int BoardCells = 91;
constexpr int FirstSquare = 10;
constexpr int LastSquare = 80;

// Snapshot slots with a fixed role; 0..30 are the search's plies.
constexpr int ScratchSlot = 57;
constexpr int UndoSlot = 58;
constexpr int AnimationSlot = 59;
constexpr int StartPositionSlot = 60;
constexpr int SnapshotSlots = 61;

// up-left, up, up-right, left, right, down-left, down, down-right
inline constexpr int directionOffsets[8] = {-10, -9, -8, -1, 1, 8, 9, 10};
// opponentOf[1] = 2, opponentOf[2] = 1; index 0 maps to itself.
inline constexpr Cell opponentOf[3] = {0, 2, 1};

constexpr int SquareIndex(int x, int y) { return y * 9 + x; }

struct Board {
  Cell cells[BoardCells];
  Cell snapshots[SnapshotSlots][BoardCells];  // BoardSnapshot

  Board();

  Cell& operator[](int i) { return cells[i]; }
  Cell operator[](int i) const { return cells[i]; }

  // May colour play at square? Does not look at the square itself.
  bool CanPlay(int square, Cell colour) const;
  bool HasAnyMove(Cell sideToMove) const;
  // Flips every disc that playing square captures for colour (not the square itself);
  // returns the number of directions that flipped, 0 for an illegal move.
  int FlipDiscs(int square, Cell colour);
  void SaveBoard(int slot);
  void RestoreBoard(int slot);
  // The board of a new game from the start-position slot; also refreshes slots 0..30.
  void NewGameBoard();

  int CountDiscs(Cell colour) const;
};

}  // namespace dfx
