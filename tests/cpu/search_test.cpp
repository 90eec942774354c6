// The engine's literal search against the step-by-step reference, and the search's own rules.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "test_support.h"

namespace dfx {
namespace {

void CompareOverDiscCounts(std::initializer_list<int> discCounts) {
  auto player = std::make_unique<ComputerPlayer>();
  for (int discs : discCounts) {
    for (const BenchPosition& p : RandomPositions(discs, 3, 500u + static_cast<uint32_t>(discs))) {
      const std::string what = "seed " + std::to_string(p.seed);
      for (int level = 0; level <= 3; ++level) ExpectLiteralMatchesReference(*player, p.board, p.side, level, what);
      if (discs < 40 || discs >= 52) ExpectLiteralMatchesReference(*player, p.board, p.side, LevelS, what);
    }
  }
}

TEST(LiteralSearch, MatchesReferenceInTheOpeningAndMiddleGame) { CompareOverDiscCounts({8, 14, 20, 27, 33}); }

TEST(LiteralSearch, MatchesReferenceLateInTheGame) { CompareOverDiscCounts({40, 45, 51, 54, 56, 57, 58, 60, 62, 63}); }

}  // namespace
}  // namespace dfx

namespace dfx {
namespace {

TEST(LiteralSearch, PreSearchDecidesTheDepthAndMarksEachRootMoveTwice) {
  auto player = std::make_unique<ComputerPlayer>();
  int deepened = 0, kept = 0;
  for (const BenchPosition& p : RandomPositions(24, 8, 61)) {
    MarkRecorder marks;
    const ComputerMove m = player->SearchMove(p.board, p.side, LevelS, &marks, true);
    if (m.rootMoves < 2) continue;
    EXPECT_EQ(m.finalDepth, m.preSearchCount <= 3000 ? 7 : 6);
    (m.finalDepth == 7 ? deepened : kept) += 1;
    EXPECT_EQ(marks.starts, 2);
    EXPECT_EQ(marks.text, std::string(m.rootMoves, '2') + std::string(m.rootMoves, '3'));
  }
  EXPECT_GT(deepened + kept, 4);

  // Depth 5 and below: no pre-search, one row of marks.
  const BenchPosition p = RandomPositions(24, 1, 62)[0];
  MarkRecorder marks;
  const ComputerMove m = player->SearchMove(p.board, p.side, 3, &marks, true);
  EXPECT_EQ(m.preSearchCount, 0u);
  EXPECT_EQ(m.finalDepth, 3);
  EXPECT_EQ(marks.starts, 1);
  EXPECT_EQ(marks.text, std::string(m.rootMoves, '3'));
}

TEST(LiteralSearch, EndGameKeepsDepthTwentyFive) {
  auto player = std::make_unique<ComputerPlayer>();
  for (const BenchPosition& p : RandomPositions(52, 3, 63)) {
    const ComputerMove m = player->SearchMove(p.board, p.side, LevelS, nullptr, true);
    EXPECT_EQ(m.plan.mode, SearchMode::Exact);
    EXPECT_EQ(m.finalDepth, 25);
    EXPECT_GT(m.preSearchCount, 0u);
  }
}

TEST(LiteralSearch, ReplayedSubtreesCountExactlyAsWalkedOnes) {
  auto replaying = std::make_unique<ComputerPlayer>();
  auto walking = std::make_unique<ComputerPlayer>();
  walking->replaySubtrees = false;
  for (int discs : {30, 50, 52, 54, 57}) {
    for (const BenchPosition& p : RandomPositions(discs, 2, 64u + static_cast<uint32_t>(discs))) {
      for (int level : {3, LevelS}) {
        SCOPED_TRACE("seed " + std::to_string(p.seed) + " level " + std::to_string(level));
        const ComputerMove a = replaying->SearchMove(p.board, p.side, level, nullptr, true);
        const ComputerMove b = walking->SearchMove(p.board, p.side, level, nullptr, true);
        EXPECT_EQ(a.square, b.square);
        EXPECT_EQ(a.bestScore, b.bestScore);
        EXPECT_EQ(a.evalCount, b.evalCount);
        EXPECT_EQ(a.fullBoardCount, b.fullBoardCount);
      }
    }
  }
}

}  // namespace
}  // namespace dfx
