// The opening book: 64 built-in lines of eight moves in one normalised orientation, the
// normalised record of the current game's first moves, the lookup with its random choice
// among matching lines, and the small random generator that choice uses.
#pragma once
#include <cstdint>

namespace dfx {

constexpr int BookLines = 64;
constexpr int RecordedMoves = 8;

// The book's answer for one move, and what taking it would change.
struct BookChoice {
  bool found = false;       // false: no line matches the game so far
  int x = 0, y = 0;         // the move on the board
  int16_t recorded = 0;     // the move as the normalised record holds it
  int16_t orientation = 0;  // the record's orientation with the move (the first move sets it)
  int16_t firstMatch = 0, lastMatch = 0, randomOffset = 0;  // lines 1..64; -1, 0 when none matches
  uint32_t seed = 0;                                        // the generator after the random choice
};

struct OpeningBook {
  int16_t gameRecord[RecordedMoves] = {};  // slot n-1 holds move n, normalised
  int16_t orientation = 0;
  // The matching lines and the random choice among them, of the last lookup that found
  // one (firstMatch -1 after one that found none).
  int16_t firstMatch = 0;
  int16_t lastMatch = 0;
  int16_t randomOffset = 0;
  uint32_t seed = 0;

  // Maps (x, y) through the current orientation; each orientation is its own inverse.
  int NormaliseSquare(int x, int y) const { return NormaliseSquare(x, y, orientation); }
  static int NormaliseSquare(int x, int y, int orientation);
  // Enters the move just played as move moveNumber (1..8; others are ignored).
  void RecordOpeningMove(int x, int y, int moveNumber);
  // The book's move for move moveNumber (1..8); changes nothing.
  BookChoice LookUp(int moveNumber, int randomEnabled) const;
  // Enters a looked-up move as move moveNumber, with its lines and random draw.
  void Take(const BookChoice& choice, int moveNumber);

  void SeedRandom(uint32_t tick) { seed = tick; }
};

// The generator behind the book's random choice: a 15-bit step, and a fraction in [0, 1)
// made of two steps.
int Random15(uint32_t& seed);
double RandomUnit(uint32_t& seed);

}  // namespace dfx
