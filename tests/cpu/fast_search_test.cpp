// The fast level-S search against the literal one: same move, score, marks, pre-search count
// and final depth on seeded games and on scattered boards full of passes and wipe-outs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "test_support.h"

namespace dfx {

namespace {

TEST(FastSearch, MatchesLiteralOnSeededGames) {
  auto player = std::make_unique<ComputerPlayer>();
  for (int discs = 5; discs <= 63; discs += (discs < 44 ? 3 : discs < 49 ? 10 : 1)) {
    for (const BenchPosition& p : RandomPositions(discs, 2, 3000u + static_cast<uint32_t>(discs)))
      ExpectFastMatchesLiteral(*player, p.board, p.side,
                               "seed " + std::to_string(p.seed) + " discs " + std::to_string(discs));
  }
}

TEST(FastSearch, MatchesLiteralOnScatteredBoardsWithPassesAndWipeOuts) {
  auto player = std::make_unique<ComputerPlayer>();
  int positions = 0;
  for (int discs : {3, 6, 12, 30, 40, 50, 52, 55, 58, 60, 62, 63}) {
    for (int blackPercent : {10, 50, 85}) {
      const uint32_t seed = static_cast<uint32_t>(discs * 100 + blackPercent);
      const Board board = ScatteredBoard(seed, discs, blackPercent);
      for (Cell side : {Black, White}) {
        ExpectFastMatchesLiteral(*player, board, side,
                                 "scattered " + std::to_string(seed) + " side " + std::to_string(side));
        ++positions;
      }
    }
  }
  EXPECT_EQ(positions, 72);
}

TEST(FastSearch, WinLossDrawRootStopsAtTheFirstWinLikeTheLiteralOne) {
  // 46..48 discs: the end-game searches for win, loss or draw.
  auto player = std::make_unique<ComputerPlayer>();
  int stoppedEarly = 0;
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const Board board = ScatteredBoard(seed, 48, 50);
    for (Cell side : {Black, White}) {
      MarkRecorder marks;
      const ComputerMove m = player->SearchMove(board, side, LevelS, &marks);
      if (m.scoreMade && m.bestScore == 1 && marks.text.size() < 2u * m.rootMoves) ++stoppedEarly;
      ExpectFastMatchesLiteral(*player, board, side, "w/l/d " + std::to_string(seed));
    }
  }
  EXPECT_GT(stoppedEarly, 0);
}

}  // namespace
}  // namespace dfx
