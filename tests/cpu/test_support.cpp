// The checks and sums the cpu tests share.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "reference_search.h"
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

// The engine's literal search and the step-by-step reference decide and count alike, and
// the board is left as it was.
void ExpectLiteralMatchesReference(ComputerPlayer& player, const Board& board, Cell side, int level,
                                   const std::string& what) {
  SCOPED_TRACE(what + " level " + std::to_string(level));
  MarkRecorder marks;
  const ComputerMove got = player.SearchMove(board, side, level, &marks, /*literal=*/true);
  const reference::Result want = reference::Search(board, side, level);
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
}

// Fast and literal level-S searches decide alike.
void ExpectFastMatchesLiteral(ComputerPlayer& player, const Board& board, Cell side, const std::string& what) {
  SCOPED_TRACE(what);
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
}

}  // namespace dfx
