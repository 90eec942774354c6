#include "cpu/opening_book.h"

#include <cmath>

namespace dfx {
namespace {

constexpr int16_t bookLines[BookLines][RecordedMoves] = {
    {51, 60, 59, 42, 61, 58, 32, 33}, {51, 60, 59, 42, 61, 57, 33, 68}, {51, 60, 59, 42, 61, 48, 43, 52},
    {51, 60, 59, 42, 61, 48, 33, 43}, {51, 60, 59, 42, 61, 48, 33, 68}, {51, 60, 59, 42, 52, 61, 43, 68},
    {51, 60, 59, 42, 52, 61, 68, 58}, {51, 60, 59, 42, 52, 68, 69, 53}, {51, 60, 59, 42, 52, 68, 69, 61},
    {51, 60, 59, 42, 52, 68, 69, 58}, {51, 60, 59, 42, 52, 68, 32, 61}, {51, 60, 59, 42, 52, 68, 32, 33},
    {51, 60, 59, 42, 52, 68, 67, 58}, {51, 60, 59, 42, 52, 58, 33, 61}, {51, 60, 59, 42, 52, 58, 67, 68},
    {51, 60, 59, 42, 52, 58, 31, 32}, {51, 60, 59, 42, 52, 58, 48, 43}, {51, 60, 59, 42, 52, 58, 48, 57},
    {51, 60, 59, 42, 52, 58, 48, 39}, {51, 60, 59, 42, 32, 58, 61, 52}, {51, 60, 59, 42, 32, 58, 52, 43},
    {51, 60, 59, 42, 32, 58, 52, 33}, {51, 60, 59, 42, 32, 58, 43, 35}, {51, 60, 59, 42, 32, 58, 43, 33},
    {51, 60, 59, 42, 32, 58, 43, 31}, {51, 60, 59, 42, 32, 58, 57, 48}, {51, 60, 59, 42, 32, 58, 39, 33},
    {51, 60, 59, 42, 32, 58, 39, 23}, {51, 60, 59, 42, 32, 31, 33, 48}, {51, 60, 59, 42, 32, 48, 52, 34},
    {51, 60, 59, 42, 32, 48, 52, 33}, {51, 60, 59, 42, 32, 48, 52, 58}, {51, 60, 59, 42, 32, 48, 57, 31},
    {51, 60, 59, 42, 32, 48, 39, 68}, {51, 60, 59, 42, 32, 48, 39, 67}, {51, 60, 59, 42, 32, 48, 39, 58},
    {51, 60, 59, 42, 32, 48, 39, 31}, {51, 60, 59, 42, 30, 68, 33, 24}, {51, 60, 59, 42, 30, 67, 34, 33},
    {51, 60, 59, 42, 30, 67, 33, 58}, {51, 60, 59, 42, 30, 58, 33, 39}, {51, 60, 59, 42, 30, 39, 31, 58},
    {51, 60, 59, 42, 30, 39, 31, 57}, {51, 60, 59, 42, 30, 39, 31, 48}, {51, 58, 57, 42, 59, 61, 31, 68},
    {51, 58, 48, 42, 32, 57, 59, 60}, {51, 58, 48, 42, 32, 57, 31, 52}, {51, 58, 48, 42, 32, 57, 31, 30},
    {51, 58, 39, 52, 60, 42, 33, 34}, {51, 58, 39, 52, 60, 42, 33, 31}, {51, 58, 39, 52, 60, 42, 57, 48},
    {51, 58, 39, 52, 57, 31, 59, 48}, {51, 58, 39, 52, 57, 48, 59, 66}, {51, 58, 39, 52, 57, 48, 67, 68},
    {51, 58, 39, 52, 57, 48, 67, 31}, {51, 58, 39, 52, 57, 48, 67, 66}, {51, 58, 39, 52, 57, 48, 56, 30},
    {51, 58, 39, 31, 30, 42, 60, 52}, {51, 58, 39, 31, 30, 42, 60, 33}, {51, 58, 39, 31, 30, 42, 48, 47},
    {51, 58, 39, 31, 30, 42, 48, 38}, {51, 58, 39, 31, 30, 42, 48, 29}, {51, 58, 39, 31, 30, 29, 57, 56},
    {51, 58, 30, 42, 60, 31, 33, 43}};

}  // namespace

int OpeningBook::NormaliseSquare(int x, int y, int orientation) {
  switch (orientation) {
    case 1: return 90 - 9 * y - x;
    case 2: return 90 - 9 * x - y;
    case 3: return 9 * x + y;
    default: return 9 * y + x;
  }
}

void OpeningBook::RecordOpeningMove(int x, int y, int moveNumber) {
  if (moveNumber < 1 || moveNumber > RecordedMoves) return;
  int s = 9 * y + x;
  if (moveNumber == 1) {
    if (s == 51)
      orientation = 0;
    else if (s == 39)
      orientation = 1;
    else if (s == 31)
      orientation = 2;
    else if (s == 59)
      orientation = 3;
  }
  if (orientation > 0) s = NormaliseSquare(x, y);
  gameRecord[moveNumber - 1] = static_cast<int16_t>(s);
}

BookChoice OpeningBook::LookUp(int moveNumber, int randomEnabled) const {
  BookChoice choice;
  choice.seed = seed;
  choice.orientation = orientation;
  choice.firstMatch = firstMatch;
  choice.lastMatch = lastMatch;
  choice.randomOffset = randomOffset;
  if (moveNumber < 1 || moveNumber > RecordedMoves) return choice;
  choice.found = true;
  if (moveNumber == 1) {
    // Always the same opening move; it fixes the orientation the record is kept in.
    choice.x = 4;
    choice.y = 3;
    choice.orientation = 2;
    choice.recorded = static_cast<int16_t>(NormaliseSquare(4, 3, 2));
    return choice;
  }
  choice.firstMatch = -1;
  choice.lastMatch = 0;
  for (int line = 1; line <= BookLines; ++line) {
    int matched = 0;
    while (matched < moveNumber - 1 && gameRecord[matched] == bookLines[line - 1][matched]) ++matched;
    if (matched == moveNumber - 1) {
      if (choice.firstMatch == -1) choice.firstMatch = static_cast<int16_t>(line);
      choice.lastMatch = static_cast<int16_t>(line);
    }
  }
  if (choice.firstMatch == -1) {
    choice.found = false;
    return choice;
  }
  choice.randomOffset = 0;
  if (randomEnabled == 1) {
    choice.randomOffset = static_cast<int16_t>(choice.lastMatch - choice.firstMatch);
    // The last matching line can never come out of this; that is how the game chooses.
    if (choice.randomOffset > 0)
      choice.randomOffset = static_cast<int16_t>(std::floor(choice.randomOffset * RandomUnit(choice.seed)));
  }
  const int m = bookLines[choice.firstMatch + choice.randomOffset - 1][moveNumber - 1];
  choice.recorded = static_cast<int16_t>(m);
  const int onBoard = orientation > 0 ? NormaliseSquare(m - 9 * (m / 9), m / 9) : m;
  choice.y = onBoard / 9;
  choice.x = onBoard - 9 * choice.y;
  return choice;
}

void OpeningBook::Take(const BookChoice& choice, int moveNumber) {
  gameRecord[moveNumber - 1] = choice.recorded;
  orientation = choice.orientation;
  firstMatch = choice.firstMatch;
  lastMatch = choice.lastMatch;
  randomOffset = choice.randomOffset;
  seed = choice.seed;
}

int Random15(uint32_t& seed) {
  seed = seed * 1103515245u + 12345u;
  return static_cast<int>((seed >> 16) & 0x7fff);
}

double RandomUnit(uint32_t& seed) {
  const uint32_t a = static_cast<uint32_t>(Random15(seed));
  const uint32_t b = static_cast<uint32_t>(Random15(seed));
  return static_cast<double>((a * b) % 100000u) / 100000.0;
}

}  // namespace dfx
