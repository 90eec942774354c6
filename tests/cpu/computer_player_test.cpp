// The move decision and the opening book: book first (orientation, lines, random choice,
// the two mends), search otherwise, passes.
#include <array>
#include <set>

#include "test_support.h"

namespace dfx {
namespace {

struct ComputerPlayerTest : ::testing::Test {
  std::unique_ptr<ComputerPlayer> player = std::make_unique<ComputerPlayer>();
  Board board;
  int16_t moveNumber = 0;
  MarkRecorder marks;

  ComputerPlayerTest() { Restart(); }
  void Restart() {
    StandardStart(board);
    moveNumber = 0;
  }
  void Play(int square, Cell side, bool human) {
    ASSERT_TRUE(board[square] == Empty && board.CanPlay(square, side));
    board.Play(square, side);
    if (human && ++moveNumber <= 8) player->RecordOpeningMove(square % 9, square / 9, moveNumber);
  }
  ComputerMove Decide(Cell side, int level, int randomEnabled) {
    const ComputerMove m = player->DecideMove(board, side, level, randomEnabled, moveNumber, &marks);
    moveNumber = int16_t(m.moveNumber);
    return m;
  }
};

// The computer opens d3 (line 0). Each first move of the human is mapped onto the book, and
// line 1's reply (60) maps back; the next game the computer opens shows that line's number.
TEST_F(ComputerPlayerTest, OpensWithD3AndMapsEveryFirstMoveOntoTheBook) {
  ComputerMove m = Decide(Black, 0, 1);
  EXPECT_EQ(std::tuple(moveNumber, m.bookHit, m.square, m.bookLine, player->Book().gameRecord[0],
                       player->Book().orientation, marks.text),
            std::tuple(1, true, 31, 0, 51, 2, ""));
  for (auto [first, orientation, reply] : {std::tuple(51, 0, 60), {39, 1, 30}, {31, 2, 30}, {59, 3, 60}}) {
    Restart();  // the same player through every game
    Play(first, Black, true);
    m = Decide(White, 0, 0);
    EXPECT_EQ(std::tuple(moveNumber, m.bookHit, m.bookLine, player->Book().orientation, m.square,
                         player->Book().gameRecord[0], player->Book().gameRecord[1]),
              std::tuple(2, true, 1, orientation, reply, 51, 60));
  }
  player->Book().RecordOpeningMove(1, 1, 1);  // any other first square keeps the orientation
  EXPECT_EQ(std::tuple(player->Book().orientation, player->Book().gameRecord[0]), std::tuple(3, 10));
  Restart();
  m = Decide(Black, 0, 0);
  EXPECT_EQ(std::tuple(m.square, m.bookLine), std::tuple(31, 1));
}

// The book answers within the first eight moves and with at most 12 discs, always legally.
TEST_F(ComputerPlayerTest, BookMovesStayLegalReachEveryLineAndEndAtMoveNineOrThirteenDiscs) {
  std::set<int> lines;
  for (uint32_t seed = 0; seed < 1000; ++seed) {
    Restart();
    player->SeedRandom(seed * 10);
    Cell side = Black;
    for (int move = 1; move <= 8; side = opponentOf[side], ++move) {
      const ComputerMove m = Decide(side, 1, 1);
      ASSERT_TRUE(m.bookHit) << "seed " << seed << " move " << move;
      Play(m.square, side, false);
      if (move == 2) lines.insert(m.bookLine);
    }
    EXPECT_FALSE(Decide(side, 1, 1).bookHit);  // move 9 is never the book's
  }
  // The random choice reaches every line that opens with d3 but the last of the range.
  EXPECT_EQ(std::tuple(lines.size(), *lines.begin(), *lines.rbegin()), std::tuple(63u, 1, 63));
  for (auto [discs, hit] : {std::pair(12, true), {13, false}}) {
    Restart();  // d3 stays legal: the extra discs are on row 8, then a7
    for (int s = SquareIndex(1, 8); s < SquareIndex(1, 8) + discs - 4; ++s) board[s == 81 ? 64 : s] = White;
    EXPECT_EQ(Decide(Black, 1, 0).bookHit, hit) << discs;
  }
}

// The generator from a known seed (the classic 15-bit steps) and the lines it draws among.
TEST_F(ComputerPlayerTest, FollowsTheMatchingLinesUntilTheGameLeavesThem) {
  uint32_t a = 1, b = 1;
  EXPECT_EQ((std::array{Random15(a), Random15(a), Random15(a)}), (std::array{16838, 5758, 10113}));
  EXPECT_DOUBLE_EQ(RandomUnit(b), 0.53204);
  // Lines 45..48 begin 51 58; 45 alone goes on with 57, so no random number is drawn.
  player->SeedRandom(99);
  for (int s : {51, 58, 57}) player->RecordOpeningMove(s % 9, s / 9, ++moveNumber);
  const BookChoice choice = player->Book().LookUp(4, 1);
  player->Book().Take(choice, 4);
  EXPECT_EQ(std::tuple(choice.found, choice.firstMatch, SquareIndex(choice.x, choice.y), choice.seed,
                       player->Book().lastMatch, player->Book().randomOffset),
            std::tuple(true, 45, 42, 99u, 45, 0));
  player->RecordOpeningMove(8, 8, 5);  // in no line
  EXPECT_EQ(player->Book().LookUp(6, 1).firstMatch, -1);
}

TEST_F(ComputerPlayerTest, BookMoveIllegalHereIsSearchedAndTheSearchedMoveRecorded) {
  // d3 is not legal on the mirrored start.
  std::swap(board[40], board[41]);
  std::swap(board[49], board[50]);
  player->Book().orientation = 0;
  ComputerMove m = Decide(Black, 2, 0);
  ASSERT_FALSE(m.bookHit || m.pass || marks.text.empty());
  EXPECT_EQ(player->Book().gameRecord[0], player->Book().NormaliseSquare(m.x, m.y));
  // Leaving the book within the first eight (d3, then e3 instead of c3): the searched move is
  // still recorded, through the orientation d3 set.
  Restart();
  for (int x : {4, 5, 6}) Play(SquareIndex(x, 3), moveNumber % 2 ? White : Black, true);
  player->Book().gameRecord[3] = 999;
  m = Decide(White, 1, 0);
  EXPECT_EQ(std::pair(m.bookHit, int(player->Book().gameRecord[3])), std::pair(false, 90 - 9 * m.x - m.y));
}

TEST_F(ComputerPlayerTest, PassesCountAsMovesAndASingleMoveKeepsTheOldScore) {
  const BenchPosition p = RandomPositions(30, 1, 4)[0];
  const ComputerMove first = player->SearchMove(p.board, p.side, 2, nullptr);
  ASSERT_TRUE(first.scoreMade);
  board = BoardFromText(std::string(56, 'X') + "OXXXXX-X").value();  // Black has no move, White one
  moveNumber = 20;
  for (int level = 0; level <= LevelS; ++level) EXPECT_TRUE(Decide(Black, level, 0).pass);
  const ComputerMove m = Decide(White, LevelS, 0);
  EXPECT_EQ(std::tuple(moveNumber, m.square, m.scoreMade, m.bestScore),
            std::tuple(26, 79, false, first.bestScore));
}

}  // namespace
}  // namespace dfx
