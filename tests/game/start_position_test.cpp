#include "rules/start_position.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

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
    for (int x = 1; x <= 8; ++x) r += char('0' + b[SquareIndex(x, y)]);
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

TEST_F(StartPositionFile, MissingRowsRepeatThePreviousOne) {
  Write("00012000\n12");
  Board b;
  LoadStartPosition(b, path.c_str());
  EXPECT_EQ(Row(b, 1), "00012000");
  for (int y = 2; y <= 8; ++y) EXPECT_EQ(Row(b, y), "12000000") << y;
}

// Not a regular file reads as missing, and a named pipe never blocks the start.
TEST_F(StartPositionFile, MissingFileDirectoryAndPipeAreAnEmptyStart) {
  const std::string directory = path + ".dir", pipe = path + ".fifo";
  std::filesystem::create_directory(directory);
  std::vector<std::string> paths = {path + ".missing", directory};
#ifndef _WIN32
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  paths.push_back(pipe);
  // Were the pipe opened, this writer would get in and fill it with Black rows.
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
      const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) continue;
      const std::string rows(72, '2');
      [[maybe_unused]] const ssize_t written = write(fd, rows.data(), rows.size());
      close(fd);
      return;
    }
  });
#endif
  for (const std::string& p : paths) {
    Board b = BoardFromText("---------------------------OX------XO---------------------------").value();
    LoadStartPosition(b, p.c_str());
    for (int y = 1; y <= 8; ++y) EXPECT_EQ(Row(b, y), "00000000") << p;
  }
#ifndef _WIN32
  done = true;
  writer.join();
#endif
  std::filesystem::remove(directory);
  std::filesystem::remove(pipe);
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
    for (int s = FirstSquare; s <= LastSquare; ++s) {
      if (s % 9 == 0) EXPECT_EQ(r[s], Border);
      else EXPECT_TRUE(r[s] >= Empty && r[s] <= Black) << s;
    }
  }
}

}  // namespace
}  // namespace dfx
