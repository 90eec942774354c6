// The move decision: level table, book first (with its two mends), search otherwise, passes.
#include <gtest/gtest.h>

#include <memory>

#include "cpu/bench_suite.h"
#include "cpu/computer_player.h"
#include "test_support.h"

namespace dfx {
namespace {

struct ComputerPlayerTest : ::testing::Test {
  std::unique_ptr<ComputerPlayer> player = std::make_unique<ComputerPlayer>();
  Board board;
  int16_t moveNumber = 0;
  MarkRecorder marks;

  void SetUp() override { StandardStart(board); }
  void PlayHuman(int x, int y, Cell side) {
    const int s = SquareIndex(x, y);
    ASSERT_TRUE(board.CanPlay(s, side));
    board.FlipDiscs(s, side);
    board[s] = side;
    moveNumber += 1;
    if (moveNumber <= 8) player->RecordOpeningMove(x, y, moveNumber);
  }
  ComputerMove Decide(Cell side, int level, int randomEnabled) {
    const ComputerMove m = player->DecideMove(board, side, level, randomEnabled, moveNumber, &marks);
    moveNumber = static_cast<int16_t>(m.moveNumber);
    return m;
  }
  void PlayComputer(const ComputerMove& m, Cell side) {
    ASSERT_FALSE(m.pass);
    board.FlipDiscs(m.square, side);
    board[m.square] = side;
  }
};

TEST_F(ComputerPlayerTest, LevelTableChoosesDepthModeAndWeightSet) {
  constexpr SearchMode E = SearchMode::Evaluation, W = SearchMode::WinLossDraw, X = SearchMode::Exact;
  struct Case {
    int level, discs, depth;
    SearchMode mode;
    int weightSet;
  } cases[] = {{0, 63, 0, E, 1},      {1, 57, 1, E, 0},      {2, 55, 2, E, 0},      {2, 56, 25, W, 0},
               {2, 57, 25, W, 0},     {2, 58, 25, X, 1},     {3, 50, 3, E, 0},      {3, 51, 25, W, 0},
               {3, 53, 25, W, 0},     {3, 54, 25, X, 0},     {LevelS, 45, 6, E, 0}, {LevelS, 46, 25, W, 0},
               {LevelS, 48, 25, W, 0}, {LevelS, 49, 25, X, 0}, {LevelS, 64, 25, X, 1}};
  for (const Case& c : cases) {
    const Board b = ScatteredBoard(static_cast<uint32_t>(c.discs), c.discs, 50);
    const SearchPlan plan = player->PlanSearch(b, c.level);
    EXPECT_EQ(plan.discs, c.discs);
    EXPECT_EQ(plan.nominalDepth, c.depth) << "level " << c.level << " discs " << c.discs;
    EXPECT_EQ(plan.mode, c.mode) << "level " << c.level << " discs " << c.discs;
    EXPECT_EQ(plan.weightSet, c.weightSet);
  }
}

TEST_F(ComputerPlayerTest, OpensWithD3AndShowsTheLineNumberLeftFromTheLastHit) {
  ComputerMove m = Decide(Black, 0, 1);
  EXPECT_EQ(moveNumber, 1);
  EXPECT_TRUE(m.bookHit);
  EXPECT_EQ(m.square, 31);
  EXPECT_EQ(m.bookLine, 0);
  EXPECT_EQ(player->book.gameRecord[0], 51);
  EXPECT_TRUE(marks.text.empty());

  // A game the human opens: the reply to f5 comes from line 1.
  StandardStart(board);
  moveNumber = 0;
  PlayHuman(6, 5, Black);
  m = Decide(White, 0, 0);
  EXPECT_EQ(moveNumber, 2);
  EXPECT_TRUE(m.bookHit);
  EXPECT_EQ(m.square, 60);
  EXPECT_EQ(m.bookLine, 1);

  // The next game the computer opens again and shows that same number.
  StandardStart(board);
  moveNumber = 0;
  m = Decide(Black, 0, 0);
  EXPECT_EQ(m.square, 31);
  EXPECT_EQ(m.bookLine, 1);
}

TEST_F(ComputerPlayerTest, BookMovesStayLegalThroughAWholeOpening) {
  for (uint32_t seed : {1u, 2u, 3u, 40u, 500u}) {
    StandardStart(board);
    moveNumber = 0;
    player->SeedRandom(seed);
    Cell side = Black;
    for (int move = 1; move <= 8; ++move) {
      const ComputerMove m = Decide(side, 1, 1);
      ASSERT_TRUE(m.bookHit) << "seed " << seed << " move " << move;
      ASSERT_TRUE(board[m.square] == Empty && board.CanPlay(m.square, side));
      PlayComputer(m, side);
      side = opponentOf[side];
    }
    // Move 9 is never taken from the book.
    const ComputerMove m = Decide(side, 1, 1);
    EXPECT_FALSE(m.bookHit);
    EXPECT_EQ(m.plan.nominalDepth, 1);
  }
}

TEST_F(ComputerPlayerTest, BookMoveIllegalHereIsSearchedInsteadAndTheSearchedMoveRecorded) {
  // The start position mirrored: d3 is not a legal opening on it.
  board = Board();
  board[40] = Black;
  board[50] = Black;
  board[41] = White;
  board[49] = White;
  ASSERT_FALSE(board.CanPlay(31, Black));
  player->book.orientation = 0;
  const ComputerMove m = Decide(Black, 2, 0);
  EXPECT_EQ(moveNumber, 1);
  EXPECT_FALSE(m.bookHit);
  ASSERT_FALSE(m.pass);
  EXPECT_TRUE(board.CanPlay(m.square, Black));
  EXPECT_FALSE(marks.text.empty());
  // The searched first move sets the orientation and is recorded like any other.
  const int expectedOrientation = m.square == 51 ? 0 : m.square == 39 ? 1 : m.square == 31 ? 2 : m.square == 59 ? 3 : 0;
  EXPECT_EQ(player->book.orientation, expectedOrientation);
  EXPECT_EQ(player->book.gameRecord[0], player->book.NormaliseSquare(m.x, m.y));
}

TEST_F(ComputerPlayerTest, SearchedMoveWithinTheFirstEightIsRecordedNormalised) {
  PlayHuman(4, 3, Black);    // d3: orientation 2
  PlayHuman(5, 3, White);    // e3: not the book's reply (c3)
  PlayHuman(6, 3, Black);    // f3: lines have been left
  player->book.gameRecord[3] = 999;
  const ComputerMove m = Decide(White, 1, 0);
  EXPECT_EQ(moveNumber, 4);
  EXPECT_FALSE(m.bookHit);
  ASSERT_FALSE(m.pass);
  EXPECT_EQ(player->book.gameRecord[3], 90 - 9 * m.x - m.y);
}

TEST_F(ComputerPlayerTest, NoLegalMoveIsAPassThatStillCountsAsAMove) {
  board = BoardFromText(
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXX-O").value();
  moveNumber = 20;
  for (int level = 0; level <= LevelS; ++level) {
    const ComputerMove m = Decide(Black, level, 0);
    EXPECT_TRUE(m.pass);
    EXPECT_FALSE(m.bookHit);
    EXPECT_EQ(m.rootMoves, 0);
  }
  EXPECT_EQ(moveNumber, 25);
}

TEST_F(ComputerPlayerTest, SingleMoveIsPlayedWithoutSearchAndKeepsTheOldScore) {
  const BenchPosition p = RandomPositions(30, 1, 4)[0];
  const ComputerMove first = player->SearchMove(p.board, p.side, 2, &marks);
  ASSERT_TRUE(first.scoreMade);
  // White can only take the last square.
  const Board single = BoardFromText(
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "OXXXXX-X").value();
  marks.text.clear();
  const ComputerMove m = player->SearchMove(single, White, LevelS, &marks);
  EXPECT_EQ(m.rootMoves, 1);
  EXPECT_EQ(m.square, 79);
  EXPECT_FALSE(m.scoreMade);
  EXPECT_EQ(m.bestScore, first.bestScore);
  EXPECT_EQ(m.evalCount, 1u);
  EXPECT_TRUE(marks.text.empty());
}

TEST_F(ComputerPlayerTest, TimesTheSearchWithTheTickCounter) {
  const BenchPosition p = RandomPositions(40, 1, 9)[0];
  const ComputerMove m = player->SearchMove(p.board, p.side, 3, &marks);
  EXPECT_GE(m.endTick - m.startTick, 0u);
  EXPECT_LT(m.endTick - m.startTick, 60000u);
}

}  // namespace
}  // namespace dfx
