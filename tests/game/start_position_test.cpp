#include "game/start_position.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

namespace dfx {
namespace {

class StartPositionFile : public ::testing::Test {
 protected:
  // Per process: ctest runs these cases side by side, and other builds share /tmp.
  std::string path = ::testing::TempDir() + "dfx_board_test_" + std::to_string(getpid()) + ".txt";
  void Write(const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  std::string Row(const Board& b, int y) {
    std::string r;
    for (int x = 1; x <= 8; ++x) r += char('0' + b.snapshots[StartPositionSlot][SquareIndex(x, y)]);
    return r;
  }
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(StartPositionFile, LineEndsCommasAndLeadingBlanks) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    std::string text;
    for (int y = 1; y <= 8; ++y) text += std::string(y == 4 ? "00012000" : "0000000" + std::to_string(y % 3)) + eol;
    Write(text);
    Board b;
    LoadStartPosition(b, path.c_str());
    EXPECT_EQ(Row(b, 1), "00000001") << "eol " << int(eol[0]);
    EXPECT_EQ(Row(b, 4), "00012000");
    EXPECT_EQ(Row(b, 8), "00000002");
  }
  Write(" \t000x2009,12\n\"1,1\",2\n");
  Board b;
  LoadStartPosition(b, path.c_str());
  EXPECT_EQ(Row(b, 1), "00002000");  // x reads 0, the ninth character is ignored
  EXPECT_EQ(Row(b, 2), "12000000");
  EXPECT_EQ(Row(b, 3), "01010000");  // "1,1" is one row: quotes and the comma read as 0
  EXPECT_EQ(Row(b, 4), "20000000");
}

TEST_F(StartPositionFile, MissingRowsRepeatAndMissingFileIsEmpty) {
  Write("00012000\n12");
  Board b;
  LoadStartPosition(b, path.c_str());
  EXPECT_EQ(Row(b, 1), "00012000");
  for (int y = 2; y <= 8; ++y) EXPECT_EQ(Row(b, y), "12000000") << y;

  Board none;
  none.snapshots[StartPositionSlot][40] = White;
  LoadStartPosition(none, (path + ".missing").c_str());
  for (int y = 1; y <= 8; ++y) EXPECT_EQ(Row(none, y), "00000000");
  none.NewGameBoard();
  EXPECT_FALSE(none.HasAnyMove(Black));
  EXPECT_FALSE(none.HasAnyMove(White));
}

TEST_F(StartPositionFile, DigitsAboveTwoAndRandomBytesStayOnTheBoard) {
  Write("33345678\n99999999\n");
  Board b;
  LoadStartPosition(b, path.c_str());
  EXPECT_EQ(Row(b, 1), "00000000");
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(1 + rng() % 400, '\0');
    for (char& c : bytes) c = char(rng() % 5 == 0 ? "012\r\n,\""[rng() % 7] : rng());
    Write(bytes);
    Board r;
    LoadStartPosition(r, path.c_str());
    r.NewGameBoard();
    for (int s = FirstSquare; s <= LastSquare; ++s) {
      if (s % 9 == 0) EXPECT_EQ(r[s], Border);
      else EXPECT_TRUE(r[s] >= Empty && r[s] <= Black) << s;
    }
  }
}

}  // namespace
}  // namespace dfx
