#include "cpu/bench_suite.h"

#include "cpu/bitboard.h"
#include "cpu/computer_player.h"
#include "rules/start_position.h"

namespace dfx {
namespace {

// A small generator of its own, so the suite never depends on the book's random state.
struct SplitMix {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
};

}  // namespace

bool RandomPosition(uint32_t seed, int discs, BenchPosition& out) {
  SplitMix random{seed * 0x100000001B3ULL + 7};
  StandardStart(out.board);
  out.seed = seed;
  Cell side = Black;
  int count = 4;
  while (count < discs) {
    Bits moves = LegalMoves(DiscsOf(out.board, side), DiscsOf(out.board, opponentOf[side]));
    if (!moves) {
      side = opponentOf[side];
      moves = LegalMoves(DiscsOf(out.board, side), DiscsOf(out.board, opponentOf[side]));
      if (!moves) return false;
    }
    int pick = static_cast<int>(random.Next() % static_cast<uint64_t>(PopCount(moves)));
    while (pick-- > 0) moves &= moves - 1;
    const int square = SquareOfBit(std::countr_zero(moves));
    out.board.Play(square, side);
    side = opponentOf[side];
    ++count;
  }
  if (!out.board.HasAnyMove(side)) {
    side = opponentOf[side];
    if (!out.board.HasAnyMove(side)) return false;
  }
  out.side = side;
  out.discs = count;
  return true;
}

std::vector<BenchPosition> RandomPositions(int discs, int count, uint32_t firstSeed) {
  std::vector<BenchPosition> positions;
  BenchPosition p;
  for (uint32_t seed = firstSeed; static_cast<int>(positions.size()) < count; ++seed)
    if (RandomPosition(seed, discs, p)) positions.push_back(p);
  return positions;
}

std::vector<BenchPosition> BenchSuite() {
  std::vector<BenchPosition> suite;
  for (int discs : benchDiscCounts) {
    auto some = RandomPositions(discs, 20, static_cast<uint32_t>(discs) * 1000u);
    suite.insert(suite.end(), some.begin(), some.end());
  }
  return suite;
}

std::vector<int> DistinctLevels(int discs) {
  // (depth, mode, priority order) per level, as the level table decides them.
  std::vector<int> levels;
  int seen[LevelCount][3];
  int n = 0;
  for (int level = 0; level < LevelCount; ++level) {
    const LevelRow& row = levelTable[level];
    const int depth = discs >= row.endSearchFrom ? 25 : row.midgameDepth;
    const int mode = discs >= row.endSearchFrom ? (discs >= row.exactSearchFrom ? 2 : 1) : 0;
    const int order = level == LevelS ? 1 : 0;
    bool same = false;
    for (int i = 0; i < n; ++i)
      same = same || (seen[i][0] == depth && seen[i][1] == mode && seen[i][2] == order);
    if (same) continue;
    seen[n][0] = depth;
    seen[n][1] = mode;
    seen[n][2] = order;
    ++n;
    levels.push_back(level);
  }
  return levels;
}

}  // namespace dfx
