// The rule primitives, the board's text form and start-position files read leniently.
#include "rules/board.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "rules/start_position.h"

namespace dfx {
namespace {

TEST(Board, FlipsCountDirectionsAndRunsToTheEdgeCaptureNothing) {
  Board b = BoardFromText("X--------O--------O---------OOOX" + std::string(32, '-')).value();
  EXPECT_EQ(b.FlipDiscs(SquareIndex(4, 4), Black), 2);  // the mover places the disc itself
  EXPECT_EQ(BoardToText(b), "X--------X--------X---------XXXX" + std::string(32, '-'));
  Board edge = BoardFromText("OOOO" + std::string(60, '-')).value();
  const Board before = edge;
  EXPECT_FALSE(edge.CanPlay(SquareIndex(5, 1), Black) || edge.HasAnyMove(Black));
  EXPECT_EQ(edge.FlipDiscs(SquareIndex(5, 1), Black) + edge.FlipDiscs(SquareIndex(1, 1), White), 0);
  EXPECT_TRUE(edge == before);
}

TEST(Board, TextReadsBackAndAnythingElseIsNoBoard) {
  const std::string start = std::string(27, '-') + "OX------XO" + std::string(27, '-');
  EXPECT_EQ(BoardToText(BoardFromText(".xo" + start.substr(3)).value()), "-XO" + start.substr(3));
  for (const std::string& bad : {start.substr(1), start + "-", std::string(), "Z" + start.substr(1),
                                 start.substr(0, 40) + '*' + start.substr(41), start.substr(0, 63) + '\0'})
    EXPECT_FALSE(BoardFromText(bad).has_value()) << bad;
  Board odd = BoardFromText(start).value();
  odd[SquareIndex(8, 8)] = 5;  // no cell value: shown, and refused on the way back
  EXPECT_EQ(BoardToText(odd).back(), '?');
  EXPECT_FALSE(BoardFromText(BoardToText(odd)).has_value());
}

// Loaded over a full board, which must not show through.
std::string LoadedText(const std::string& path) {
  Board b = BoardFromText(std::string(64, 'X')).value();
  LoadStartPosition(b, path.c_str());
  return BoardToText(b);
}

TEST(StartPositionFile, LineEndsCommasQuotesBlanksAndMissingRows) {
  const std::string path = ::testing::TempDir() + "dfx_start_" + std::to_string(getpid());
  const std::pair<std::string, std::string> files[] = {
      // CR LF, LF and CR ends; missing rows repeat the last one.
      {"00000001\r\n00000002\n00000000\r00012000\n",
       "-------O-------X-----------OX------OX------OX------OX------OX---"},
      // Leading blanks skipped, x and 9 read 0, a comma ends a row outside quotes.
      {" \t000x2009,12\n\"1,1\",2\n", "----X---OX-------O-O----X-------X-------X-------X-------X-------"},
      {"33345678\n99999999\n", std::string(64, '-')},
      {"00012000", "---OX------OX------OX------OX------OX------OX------OX------OX---"}};
  for (const auto& [bytes, want] : files) {
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(LoadedText(path), want) << bytes;
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace dfx
