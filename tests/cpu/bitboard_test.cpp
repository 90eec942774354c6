// The bitboard flip routines against a walk square by square, on random boards that put runs
// against every edge and corner.
#include <gtest/gtest.h>

#include <random>

#include "cpu/bitboard.h"

namespace dfx {
namespace {

Bits WalkedFlips(int bit, Bits own, Bits other) {
  Bits flips = 0;
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) {
      if (!dx && !dy) continue;
      Bits run = 0;
      int x = bit % 8 + dx, y = bit / 8 + dy;
      for (; x >= 0 && x < 8 && y >= 0 && y < 8 && (other >> (y * 8 + x) & 1); x += dx, y += dy)
        run |= Bits{1} << (y * 8 + x);
      if (x >= 0 && x < 8 && y >= 0 && y < 8 && (own >> (y * 8 + x) & 1)) flips |= run;
    }
  return flips;
}

TEST(Bitboard, FlipsMatchAWalkOnAnyBoard) {
  std::mt19937_64 random(7);
  for (int round = 0; round < 20000; ++round) {
    const Bits occupied = random() | random();  // mostly full, so long runs are common
    const Bits own = occupied & random();
    const Bits other = occupied & ~own;
    const int bit = static_cast<int>(random() % 64);
    const Bits b = Bits{1} << bit;
    ASSERT_EQ(Flips(bit, own & ~b, other & ~b), WalkedFlips(bit, own & ~b, other & ~b)) << round;
  }
}

TEST(Bitboard, LastSquareFlipCountMatchesAWalkForBothSides) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 20000; ++round) {
    const int bit = static_cast<int>(random() % 64);
    const Bits b = Bits{1} << bit;
    // Sparse and dense owners, so that whole lines of one colour occur.
    const Bits own = (round % 3 == 0 ? random() & random() : round % 3 == 1 ? random() | random() : random()) & ~b;
    const Bits other = ~own & ~b;
    ASSERT_EQ(LastFlipCount(bit, own), PopCount(WalkedFlips(bit, own, other))) << round;
    ASSERT_EQ(LastFlipCount(bit, other), PopCount(WalkedFlips(bit, other, own))) << round;
  }
}

}  // namespace
}  // namespace dfx
