// The engine's literal search against the step-by-step reference, and the search's own rules.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "reference_search.h"
#include "test_support.h"

namespace dfx {
namespace {

void ExpectSameAsReference(ComputerPlayer& player, const BenchPosition& p, int level) {
  MarkRecorder marks;
  const Board before = p.board;
  const ComputerMove got = player.SearchMove(p.board, p.side, level, &marks, /*literal=*/true);
  const reference::Result want = reference::Search(p.board, p.side, level);
  SCOPED_TRACE("seed " + std::to_string(p.seed) + " discs " + std::to_string(p.discs) + " level " +
               std::to_string(level));
  ASSERT_EQ(got.rootMoves, want.rootMoves);
  if (want.rootMoves > 0) {
    EXPECT_EQ(got.square, want.bestMove);
  }
  if (want.scoreMade) {
    EXPECT_EQ(got.bestScore, want.bestScore);
  }
  EXPECT_EQ(got.evalCount, want.evalCount);
  EXPECT_EQ(got.preSearchCount, want.preSearchCount);
  EXPECT_EQ(got.fullBoardCount, want.fullBoardCount);
  EXPECT_EQ(got.finalDepth, want.finalDepth);
  EXPECT_EQ(marks.text, want.marks);
  EXPECT_TRUE(SameCells(p.board, before));
}

TEST(LiteralSearch, MatchesReferenceAcrossLevelsAndDiscCounts) {
  auto player = std::make_unique<ComputerPlayer>();
  for (int discs : {8, 14, 20, 27, 33, 40, 45, 51, 54, 56, 57, 58, 60, 62, 63}) {
    for (const BenchPosition& p : RandomPositions(discs, 3, 500u + static_cast<uint32_t>(discs))) {
      for (int level = 0; level <= 3; ++level) ExpectSameAsReference(*player, p, level);
      if (discs < 40 || discs >= 52) ExpectSameAsReference(*player, p, LevelS);
    }
  }
}

}  // namespace
}  // namespace dfx
