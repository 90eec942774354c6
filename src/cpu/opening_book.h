// The opening book: 64 built-in lines of eight moves in one normalised orientation, the
// normalised record of the current game's first moves, the lookup with its random choice
// among matching lines, and the small random generator that choice uses.
#pragma once
#include <cstdint>

namespace dfx {

constexpr int BookLineCapacity = 500;
constexpr int BookMoveSlots = 60;
constexpr int RecordedMoves = 8;

struct OpeningBook {
  int16_t bookLines[BookLineCapacity + 1][BookMoveSlots + 1];  // [line 1..500][move 1..60]
  int16_t bookLineCount = 0;
  int16_t gameRecord[RecordedMoves] = {};  // slot n-1 holds move n, normalised
  int16_t orientation = 0;
  int16_t firstMatch = 0;
  int16_t lastMatch = 0;
  int16_t randomOffset = 0;
  int16_t bookHit = 0;
  uint32_t seed = 0;

  OpeningBook();

  // Maps (x, y) through the current orientation; each orientation is its own inverse.
  int NormaliseSquare(int x, int y) const;
  // Enters the move just played as move moveNumber (1..8; others are ignored).
  void RecordOpeningMove(int x, int y, int moveNumber);
  // The book's move for move moveNumber, as column and row; false when no line matches.
  bool ConsultBook(int moveNumber, int randomEnabled, int* x, int* y);

  void SeedRandom(uint32_t tick) { seed = tick; }
  int Random15();
  double RandomUnit();
};

}  // namespace dfx
