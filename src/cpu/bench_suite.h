// Positions for measuring and cross-checking the engine: reached by seeded random play
// from the usual start, so every run and every machine sees the same suite.
#pragma once
#include <cstdint>
#include <vector>

#include "rules/board.h"
#include "rules/start_position.h"

namespace dfx {

struct BenchPosition {
  Board board;
  Cell side = Black;  // the colour to move; it has at least one legal move
  int discs = 0;
  uint32_t seed = 0;
};

// Plays random legal moves (a fixed generator seeded with seed) until `discs` discs are
// on the board. False when the game ended before that or nobody can move there.
bool RandomPosition(uint32_t seed, int discs, BenchPosition& out);

// `count` positions at `discs` discs, from seeds firstSeed, firstSeed + 1, ... (skipping
// seeds whose game ends too early).
std::vector<BenchPosition> RandomPositions(int discs, int count, uint32_t firstSeed);

// The bench suite: 20 positions at each of 20, 30, 40, 45, 46, 48, 49, 51, 54, 56, 58 discs.
std::vector<BenchPosition> BenchSuite();
inline constexpr int benchDiscCounts[] = {20, 30, 40, 45, 46, 48, 49, 51, 54, 56, 58};

// The levels whose searches differ at this disc count (depth, mode or square order).
std::vector<int> DistinctLevels(int discs);

}  // namespace dfx
