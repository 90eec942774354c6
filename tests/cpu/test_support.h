// What the cpu tests share: a progress sink that keeps the marks as text, a scattered-board
// builder, the signatures that pin the searches' reports, and the equality check of the two searches.
#pragma once
#include <gtest/gtest.h>

#include <sstream>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"

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
    if (board[square] != Empty) continue;
    board[square] = static_cast<int>(next() % 100) < blackPercent ? Black : White;
    ++placed;
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

// A search's report: root moves, square, whether a score was made and the best one (0 if not),
// evalCount, preSearchCount, fullBoardCount, final depth and the marks. The fast search counts its
// own way, so the counts are left out when it is compared (withCounts false).
inline std::string Reported(const ComputerMove& m, const MarkRecorder& marks, bool withCounts = true) {
  std::ostringstream text;
  text << m.rootMoves << ' ' << m.square << ' ' << m.scoreMade << ' ' << (m.scoreMade ? m.bestScore : 0)
       << ' ' << (withCounts ? m.evalCount : 0) << ' ' << m.preSearchCount << ' '
       << (withCounts ? m.fullBoardCount : 0) << ' ' << m.finalDepth << ' ' << marks.text;
  return text.str();
}

// Reports folded into one figure (FNV-1a), as the bench signature folds evalCounts: the figures
// below were taken when a plain step-by-step player agreed with every report, and any change to
// one report changes them.
constexpr uint64_t FoldStart = 0xCBF29CE484222325ULL;
inline uint64_t Fold(uint64_t figure, const std::string& text) {
  for (const unsigned char c : text) figure = (figure ^ c) * 0x100000001B3ULL;
  return figure;
}

// The literal search reports the same replaying subtrees it met before or walking every one;
// the figure folded with that report.
inline uint64_t FoldLiteral(uint64_t figure, const Board& board, Cell side, int level) {
  static const std::unique_ptr<ComputerPlayer> players[2] = {std::make_unique<ComputerPlayer>(),
                                                             std::make_unique<ComputerPlayer>()};
  players[1]->SetReplaySubtrees(false);
  std::string reports[2];
  for (int i = 0; i < 2; ++i) {
    MarkRecorder marks;
    reports[i] = Reported(players[i]->SearchMove(board, side, level, &marks, /*literal=*/true), marks);
  }
  EXPECT_EQ(reports[0], reports[1]) << BoardToText(board) << " side " << side << " level " << level;
  return Fold(figure, reports[0]);
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
