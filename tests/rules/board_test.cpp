// The rule primitives, the board's text form and the usual start.
#include "rules/board.h"

#include <gtest/gtest.h>

#include <string>

#include "rules/start_position.h"

namespace dfx {
namespace {

TEST(Board, PlayFlipsThenSetsAndRunsToTheEdgeCaptureNothing) {
  Board b = BoardFromText("X--------O--------O---------OOOX" + std::string(32, '-')).value();
  EXPECT_EQ(b.Play(SquareIndex(4, 4), Black), 2);  // directions that flipped
  EXPECT_EQ(BoardToText(b), "X--------X--------X--------XXXXX" + std::string(32, '-'));
  Board edge = BoardFromText("OOOO" + std::string(60, '-')).value();
  const Board before = edge;
  EXPECT_FALSE(edge.CanPlay(SquareIndex(5, 1), Black) || edge.HasAnyMove(Black));
  EXPECT_EQ(edge.FlipDiscs(SquareIndex(5, 1), Black) + edge.FlipDiscs(SquareIndex(1, 1), White), 0);
  EXPECT_TRUE(edge == before);
}

TEST(Board, UsualStartAndTextReadBackAndAnythingElseIsNoBoard) {
  const std::string start = std::string(27, '-') + "OX------XO" + std::string(27, '-');
  Board usual;
  StandardStart(usual);
  EXPECT_EQ(BoardToText(usual), start);
  EXPECT_EQ(BoardToText(BoardFromText(".xo" + start.substr(3)).value()), "-XO" + start.substr(3));
  for (const std::string& bad : {start.substr(1), start + "-", std::string(), "Z" + start.substr(1),
                                 start.substr(0, 40) + '*' + start.substr(41), start.substr(0, 63) + '\0'})
    EXPECT_FALSE(BoardFromText(bad).has_value()) << bad;
  Board odd = BoardFromText(start).value();
  odd[SquareIndex(8, 8)] = 5;  // no cell value: shown, and refused on the way back
  EXPECT_EQ(BoardToText(odd).back(), '?');
  EXPECT_FALSE(BoardFromText(BoardToText(odd)).has_value());
}

}  // namespace
}  // namespace dfx
