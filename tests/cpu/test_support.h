// What the cpu tests share: the plain, step-by-step reference player kept only as the yardstick
// the engine's searches are compared with (reference_search.cpp), a progress sink that keeps the
// marks as text, a scattered-board builder, the bench signature, and the equality checks.
#pragma once
#include <gtest/gtest.h>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"

namespace dfx::reference {

// What the literal search and the reference both report: rootMoves, square, scoreMade, bestScore
// (0 when none was made), evalCount, preSearchCount, fullBoardCount, finalDepth, and the marks
// ('/' where a row of marks starts, then one glyph digit per root move).
using Result = std::tuple<int, int, bool, int, uint32_t, uint32_t, uint32_t, int, std::string>;
Result Search(const Board& board, Cell side, int level);
int Evaluate(const Board& board, Cell side, int weightSet);

}  // namespace dfx::reference

namespace dfx {

struct MarkRecorder : SearchProgress {
  std::string text;  // '/' for each start of a row, then the glyph digits
  void StartMarks() override { text += '/'; }
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

// `discs` discs on random squares, each Black with probability blackPercent / 100: not
// reachable in a game, but full of passes and wipe-outs.
inline Board ScatteredBoard(uint32_t seed, int discs, int blackPercent) {
  uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    return state ^= state << 17;
  };
  Board board;
  for (int placed = 0; placed < discs;) {
    const int bit = static_cast<int>(next() % 64), square = SquareIndex(bit % 8 + 1, bit / 8 + 1);
    if (board[square] == Empty)
      board[square] = static_cast<int>(next() % 100) < blackPercent ? Black : White, ++placed;
  }
  return board;
}

// Total evalCount of the literal searches over the bench suite, level S included or not.
inline uint64_t LiteralSignature(bool withLevelS) {
  auto player = std::make_unique<ComputerPlayer>();
  uint64_t total = 0;
  for (const BenchPosition& p : BenchSuite())
    for (int level : DistinctLevels(p.discs))
      if (level != LevelS || withLevelS)
        total += player->SearchMove(p.board, p.side, level, nullptr, true).evalCount;
  return total;
}

// A search's report as the reference gives it; the fast search counts its own way, so the
// counts are left out when it is compared (withCounts false).
inline reference::Result Reported(const ComputerMove& m, const MarkRecorder& marks, bool withCounts = true) {
  return reference::Result(m.rootMoves, m.square, m.scoreMade, m.scoreMade ? int(m.bestScore) : 0,
                           withCounts ? m.evalCount : 0, m.preSearchCount, withCounts ? m.fullBoardCount : 0,
                           m.finalDepth, marks.text);
}

// The literal search, replaying subtrees it met before or walking every one, counts and
// decides as the reference.
inline void ExpectLiteralMatchesReference(const Board& board, Cell side, int level) {
  static const std::unique_ptr<ComputerPlayer> players[2] = {std::make_unique<ComputerPlayer>(),
                                                             std::make_unique<ComputerPlayer>()};
  players[1]->SetReplaySubtrees(false);
  const reference::Result want = reference::Search(board, side, level);
  for (const auto& player : players) {
    MarkRecorder marks;
    const ComputerMove m = player->SearchMove(board, side, level, &marks, /*literal=*/true);
    EXPECT_EQ(Reported(m, marks), want) << BoardToText(board) << " side " << side << " level " << level;
  }
}

// The fast level-S search decides, scores and marks as the literal one.
inline void ExpectFastMatchesLiteral(const Board& board, Cell side) {
  static const auto player = std::make_unique<ComputerPlayer>();
  MarkRecorder literalMarks, fastMarks;
  const ComputerMove a = player->SearchMove(board, side, LevelS, &literalMarks, true);
  const ComputerMove b = player->SearchMove(board, side, LevelS, &fastMarks, false);
  EXPECT_EQ(Reported(b, fastMarks, false), Reported(a, literalMarks, false)) << BoardToText(board) << side;
}

}  // namespace dfx
