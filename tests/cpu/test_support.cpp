// The checks and sums the cpu tests share.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "test_support.h"

namespace dfx {

// Total evalCount of the literal searches over the bench suite, level S included or not.
uint64_t LiteralSignature(bool withLevelS) {
  auto player = std::make_unique<ComputerPlayer>();
  uint64_t total = 0;
  for (const BenchPosition& p : BenchSuite())
    for (int level : DistinctLevels(p.discs)) {
      if (level == LevelS && !withLevelS) continue;
      total += player->SearchMove(p.board, p.side, level, nullptr, /*literal=*/true).evalCount;
    }
  return total;
}

// Fast and literal level-S searches decide alike, and neither changes the board.
void ExpectFastMatchesLiteral(ComputerPlayer& player, const Board& board, Cell side, const std::string& what) {
  SCOPED_TRACE(what);
  const Board before = board;
  MarkRecorder literalMarks, fastMarks;
  const ComputerMove literal = player.SearchMove(board, side, LevelS, &literalMarks, true);
  const ComputerMove fast = player.SearchMove(board, side, LevelS, &fastMarks, false);
  ASSERT_EQ(fast.rootMoves, literal.rootMoves);
  EXPECT_EQ(fast.pass, literal.pass);
  if (!literal.pass) {
    EXPECT_EQ(fast.square, literal.square);
  }
  EXPECT_EQ(fast.scoreMade, literal.scoreMade);
  if (literal.scoreMade) {
    EXPECT_EQ(fast.bestScore, literal.bestScore);
  }
  EXPECT_EQ(fastMarks.text, literalMarks.text);
  EXPECT_EQ(fastMarks.starts, literalMarks.starts);
  EXPECT_EQ(fast.preSearchCount, literal.preSearchCount);
  EXPECT_EQ(fast.finalDepth, literal.finalDepth);
  EXPECT_TRUE(SameCells(board, before));
}

}  // namespace dfx
