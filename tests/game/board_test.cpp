#include "rules/board.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rules/start_position.h"

namespace dfx {
namespace {

Board MakeBoard(const char* squares) { return BoardFromText(squares).value(); }

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
      "----OOOX"
      "--------"
      "--------"
      "--------"
      "--------");
  // Square (4,4) = 40 captures diagonally (2 discs) and to the right (3 discs).
  ASSERT_EQ(b[40], Empty);
  EXPECT_EQ(b.FlipDiscs(40, Black), 2);
  EXPECT_EQ(b[40], Empty);  // the mover places the disc itself
  for (int s : {20, 30, 41, 42, 43}) EXPECT_EQ(b[s], Black) << s;
}

TEST(Board, IllegalFlipChangesNothing) {
  Board b = MakeBoard(kStart);
  const Board before = b;
  EXPECT_EQ(b.FlipDiscs(10, Black), 0);
  EXPECT_EQ(b.FlipDiscs(40, Black), 0);  // occupied, captures nothing either
  EXPECT_TRUE(b == before);
}

TEST(Board, TextReadsBackAndAnythingElseIsNoBoard) {
  const std::string start = kStart;
  EXPECT_EQ(BoardToText(MakeBoard(kStart)), start);
  std::string dotted = start;
  dotted[0] = '.';
  dotted[1] = 'x';
  dotted[2] = 'o';
  const std::optional<Board> mixed = BoardFromText(dotted);
  ASSERT_TRUE(mixed.has_value());
  EXPECT_EQ(BoardToText(*mixed).substr(0, 3), "-XO");
  for (const std::string& bad : {start.substr(1), start + "-", std::string(), "Z" + start.substr(1),
                                 start.substr(0, 40) + '*' + start.substr(41), start.substr(0, 63) + '\0'})
    EXPECT_FALSE(BoardFromText(bad).has_value()) << bad;
  Board odd = MakeBoard(kStart);
  odd[SquareIndex(8, 8)] = 5;  // no cell value: shown, and refused on the way back
  EXPECT_EQ(BoardToText(odd).back(), '?');
  EXPECT_FALSE(BoardFromText(BoardToText(odd)).has_value());
}

TEST(Board, ShippedStartFileGivesTheStandardStart) {
  Board b;
  LoadStartPosition(b, DFX_SOURCE_DIR "/res/board.txt");
  EXPECT_EQ(LegalSquares(b, Black), (std::vector<int>{31, 39, 51, 59}));
  EXPECT_EQ(b.CountDiscs(Black) + b.CountDiscs(White), 4);
}

}  // namespace
}  // namespace dfx
