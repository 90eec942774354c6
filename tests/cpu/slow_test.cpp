// The long checks: the whole bench signature, and wide sweeps of the faster searches against
// their yardsticks. Labelled slow, so sanitizer runs can leave them out.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "test_support.h"

namespace dfx {

namespace {

TEST(Slow, WholeBenchSignature) { EXPECT_EQ(LiteralSignature(true), 836299159u); }

TEST(Slow, FastSearchMatchesLiteralOnAWideSweep) {
  auto player = std::make_unique<ComputerPlayer>();
  for (int discs = 20; discs <= 62; ++discs) {
    const int count = discs >= 46 && discs <= 48 ? 3 : 8;
    for (const BenchPosition& p : RandomPositions(discs, count, 70000u + 100u * static_cast<uint32_t>(discs)))
      ExpectFastMatchesLiteral(*player, p.board, p.side,
                               "seed " + std::to_string(p.seed) + " discs " + std::to_string(discs));
  }
  for (uint32_t seed = 0; seed < 60; ++seed) {
    const int discs = 30 + static_cast<int>(seed % 34);
    const Board board = ScatteredBoard(seed * 7919u, discs, 15 + static_cast<int>(seed % 7) * 12);
    for (Cell side : {Black, White})
      ExpectFastMatchesLiteral(*player, board, side, "scattered " + std::to_string(seed));
  }
}

TEST(Slow, LiteralMatchesReferenceOnScatteredBoardsAndDeepEndGames) {
  auto player = std::make_unique<ComputerPlayer>();
  for (uint32_t seed = 0; seed < 40; ++seed) {
    const int discs = 20 + static_cast<int>(seed);
    const Board board = ScatteredBoard(seed + 11u, discs, 30 + static_cast<int>(seed % 5) * 10);
    for (int level = 0; level <= LevelS; ++level)
      if (level < LevelS || discs < 44) ExpectLiteralMatchesReference(*player, board, seed % 2 ? Black : White, level, "scattered");
  }
  for (int discs : {49, 50, 52, 53}) {
    for (const BenchPosition& p : RandomPositions(discs, 2, 8000u + static_cast<uint32_t>(discs)))
      ExpectLiteralMatchesReference(*player, p.board, p.side, LevelS, "seed " + std::to_string(p.seed));
  }
}

}  // namespace
}  // namespace dfx
