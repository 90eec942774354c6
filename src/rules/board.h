// The Reversi position: a 91-cell mailbox board (9 cells a row, Border all round) and the
// rule primitives the game and the search share, plus its 64-character text form.
// Plain data of its cells alone; nothing here allocates.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dfx {

using Cell = int16_t;

constexpr Cell Border = -1;
constexpr Cell Empty = 0;
constexpr Cell White = 1;
constexpr Cell Black = 2;

constexpr int BoardCells = 91;
constexpr int FirstSquare = 10;
constexpr int LastSquare = 80;

// up-left, up, up-right, left, right, down-left, down, down-right
inline constexpr int directionOffsets[8] = {-10, -9, -8, -1, 1, 8, 9, 10};
// opponentOf[1] = 2, opponentOf[2] = 1; index 0 maps to itself.
inline constexpr Cell opponentOf[3] = {0, 2, 1};

constexpr int SquareIndex(int x, int y) { return y * 9 + x; }

struct Board {
  Cell cells[BoardCells];

  Board();  // all 64 squares empty

  Cell& operator[](int i) { return cells[i]; }
  Cell operator[](int i) const { return cells[i]; }

  // May colour play at square? Does not look at the square itself.
  bool CanPlay(int square, Cell colour) const;
  bool HasAnyMove(Cell sideToMove) const;
  // Flips every disc that playing square captures for colour (not the square itself);
  // returns the number of directions that flipped, 0 for an illegal move.
  int FlipDiscs(int square, Cell colour);
  // Plays a move: flips what it captures, then sets the square (even when nothing flips:
  // the caller checks legality). Returns FlipDiscs's count.
  int Play(int square, Cell colour);

  int CountDiscs(Cell colour) const;

  bool operator==(const Board&) const = default;
};

// Boards are copied whole for undo, animation and search plies: keep it to its cells.
static_assert(sizeof(Board) <= 200);

// The text form: 64 characters, row 1 first, each row from column 1; '-' or '.' empty,
// 'X' Black, 'O' White (lower case accepted). Anything else, or another length, is no board.
std::optional<Board> BoardFromText(std::string_view text);
// Writes '-', 'X' and 'O', and '?' for a square holding no cell value (which then does not
// read back).
std::string BoardToText(const Board& board);

}  // namespace dfx
