#include "game/board.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/start_position.h"

namespace dfx {
namespace {

// Builds a board from 64 characters, row 1 first: '-' empty, 'X' Black, 'O' White.
Board MakeBoard(const char* squares) {
  Board b;
  for (int i = 0; i < 64; ++i) {
    char c = squares[i];
    b.snapshots[StartPositionSlot][SquareIndex(i % 8 + 1, i / 8 + 1)] = c == 'X' ? Black : c == 'O' ? White : Empty;
  }
  b.NewGameBoard();
  return b;
}

const char* kStart =
    "--------"
    "--------"
    "--------"
    "---OX---"
    "---XO---"
    "--------"
    "--------"
    "--------";

std::vector<int> LegalSquares(const Board& b, Cell colour) {
  std::vector<int> squares;
  for (int s = FirstSquare; s <= LastSquare; ++s)
    if (b[s] == Empty && b.CanPlay(s, colour)) squares.push_back(s);
  return squares;
}

TEST(Board, LayoutHasBorderAllRound) {
  Board b = MakeBoard(kStart);
  for (int i = 0; i <= 9; ++i) EXPECT_EQ(b[i], Border) << i;
  for (int i = 81; i <= 90; ++i) EXPECT_EQ(b[i], Border) << i;
  for (int y = 1; y <= 8; ++y) EXPECT_EQ(b[y * 9], Border);
  EXPECT_EQ(b[40], White);
  EXPECT_EQ(b[50], White);
  EXPECT_EQ(b[41], Black);
  EXPECT_EQ(b[49], Black);
}

TEST(Board, StartPositionMovesForBothColours) {
  Board b = MakeBoard(kStart);
  EXPECT_EQ(LegalSquares(b, Black), (std::vector<int>{31, 39, 51, 59}));
  EXPECT_EQ(LegalSquares(b, White), (std::vector<int>{32, 42, 48, 58}));
  EXPECT_TRUE(b.HasAnyMove(Black));
}

TEST(Board, RunsReachingTheEdgeCaptureNothing) {
  // White run along the top edge to the corner with no Black disc behind it.
  Board b = MakeBoard(
      "OOOO----"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------");
  EXPECT_FALSE(b.CanPlay(14, Black));
  EXPECT_EQ(b.FlipDiscs(14, Black), 0);
  EXPECT_FALSE(b.HasAnyMove(Black));  // no Black disc at all
}

TEST(Board, FlipDiscsCountsDirectionsNotDiscs) {
  Board b = MakeBoard(
      "X-------"
      "-O------"
      "--O-----"
      "---*OOOX"
      "--------"
      "--------"
      "--------"
      "--------");
  // '*' reads as empty: square (4,4) = 40 captures diagonally (2 discs) and to the right (3 discs).
  ASSERT_EQ(b[40], Empty);
  EXPECT_EQ(b.FlipDiscs(40, Black), 2);
  EXPECT_EQ(b[40], Empty);  // the mover places the disc itself
  for (int s : {20, 30, 41, 42, 43}) EXPECT_EQ(b[s], Black) << s;
}

TEST(Board, IllegalFlipChangesNothing) {
  Board b = MakeBoard(kStart);
  Cell before[BoardCells];
  std::memcpy(before, b.cells, sizeof before);
  EXPECT_EQ(b.FlipDiscs(10, Black), 0);
  EXPECT_EQ(b.FlipDiscs(40, Black), 0);  // occupied, captures nothing either
  EXPECT_EQ(std::memcmp(before, b.cells, sizeof before), 0);
}

TEST(Board, SnapshotsRoundTripAndNewGameFillsSearchSlots) {
  Board b = MakeBoard(kStart);
  for (int slot = 0; slot <= 30; ++slot) EXPECT_EQ(b.snapshots[slot][41], Black) << slot;
  b.SaveBoard(UndoSlot);
  b.FlipDiscs(31, Black);
  b[31] = Black;
  EXPECT_EQ(b[40], Black);
  b.RestoreBoard(UndoSlot);
  EXPECT_EQ(b[31], Empty);
  EXPECT_EQ(b[40], White);
  EXPECT_EQ(b.snapshots[StartPositionSlot][31], Empty);
}

TEST(Board, ShippedStartFileGivesTheStandardStart) {
  Board b;
  LoadStartPosition(b, DFX_SOURCE_DIR "/res/board.txt");
  b.NewGameBoard();
  EXPECT_EQ(LegalSquares(b, Black), (std::vector<int>{31, 39, 51, 59}));
  EXPECT_EQ(b.CountDiscs(Black) + b.CountDiscs(White), 4);
}

}  // namespace
}  // namespace dfx
