#include "cpu/opening_book.h"

#include <cmath>

namespace dfx {
namespace {

constexpr int16_t builtInLines[64][8] = {
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

OpeningBook::OpeningBook() {
  for (auto& line : bookLines)
    for (int16_t& m : line) m = 0;
  for (int l = 0; l < 64; ++l)
    for (int m = 0; m < 8; ++m) bookLines[l + 1][m + 1] = builtInLines[l][m];
  bookLineCount = 0;
  for (int l = 1; l <= BookLineCapacity && bookLines[l][1] != 0; ++l) bookLineCount = static_cast<int16_t>(l);
}

int OpeningBook::NormaliseSquare(int x, int y) const {
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

bool OpeningBook::ConsultBook(int moveNumber, int randomEnabled, int* x, int* y) {
  bookHit = 0;
  if (moveNumber < 1 || moveNumber > RecordedMoves) return false;
  if (moveNumber == 1) {
    *x = 4;
    *y = 3;
    RecordOpeningMove(4, 3, 1);
    bookHit = 1;
    return true;
  }
  firstMatch = -1;
  lastMatch = 0;
  for (int line = 1; line <= bookLineCount; ++line) {
    int matched = 0;
    while (matched < moveNumber - 1 && gameRecord[matched] == bookLines[line][matched + 1]) ++matched;
    if (matched == moveNumber - 1) {
      if (firstMatch == -1) firstMatch = static_cast<int16_t>(line);
      lastMatch = static_cast<int16_t>(line);
    }
  }
  if (firstMatch == -1) return false;
  bookHit = 1;
  randomOffset = 0;
  if (randomEnabled == 1) {
    randomOffset = static_cast<int16_t>(lastMatch - firstMatch);
    // The last matching line can never come out of this; that is how the game chooses.
    if (randomOffset > 0) randomOffset = static_cast<int16_t>(std::floor(randomOffset * RandomUnit()));
  }
  int m = bookLines[firstMatch + randomOffset][moveNumber];
  *y = m / 9;
  *x = m - 9 * *y;
  gameRecord[moveNumber - 1] = static_cast<int16_t>(m);
  if (orientation > 0) {
    m = NormaliseSquare(*x, *y);
    *y = m / 9;
    *x = m - 9 * *y;
  }
  return true;
}

int OpeningBook::Random15() {
  seed = seed * 1103515245u + 12345u;
  return static_cast<int>((seed >> 16) & 0x7fff);
}

double OpeningBook::RandomUnit() {
  const uint32_t a = static_cast<uint32_t>(Random15());
  const uint32_t b = static_cast<uint32_t>(Random15());
  return static_cast<double>((a * b) % 100000u) / 100000.0;
}

}  // namespace dfx
