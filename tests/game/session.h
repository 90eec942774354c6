// Whole sessions on the memory host for tests: keys in at every wait, the screen read
// back by glyph matching, and a player that takes the first legal square.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "game/game.h"
#include "host/keys.h"
#include "host/memory/memory_host.h"
#include "runtime/clock.h"
#include "screen_reader/screen_reader.h"

namespace dfx::testing {

constexpr uint8_t K1 = keys::One, K2 = keys::Two, KR = keys::R, KBack = keys::Back, KReturn = keys::Return;
constexpr uint8_t KLeft = keys::Left, KUp = keys::Up, KRight = keys::Right, KDown = keys::Down;
using Keys = std::vector<uint8_t>;

struct Session {
  explicit Session(uint32_t tick = 4242, const std::string& glyphDir = "res/bmp") {
    UseVirtualClock(tick);
    reader.LoadGlyphs(glyphDir);
    game = std::make_unique<Game>(host);
    game->StartUp();
  }

  bool Over() const {
    return game->state.whiteCount + game->state.blackCount == 64 || game->state.passCount >= 2;
  }

  // Answers every wait (the title screen first) with keys or presses until answer gives none,
  // checking the counts against the board each time; returns the last screen.
  template <class Answer>
  ScreenText Play(const Answer& answer) {
    ScreenText last;
    host.SetOnKeysExhausted([&] {
      last = reader.ReadAt(host.ScreenCopy(), 0, 0);
      EXPECT_EQ(std::tuple(game->state.blackCount, game->state.whiteCount),
                std::tuple(game->board.CountDiscs(Black), game->board.CountDiscs(White)));
      const auto next = answer(last);
      if (next.empty() || ::testing::Test::HasFatalFailure()) throw KeysExhausted{};
      for (const auto& in : next) Push(in);
    });
    try {
      game->RunForEver();
    } catch (const KeysExhausted&) {}
    return last;
  }
  void Push(uint8_t key) { host.PushKey(key); }
  void Push(const Input& in) { in.press ? host.PushPress(in.x, in.y) : host.PushKey(in.key); }

  MemoryHost host;
  std::unique_ptr<Game> game;
  ScreenReader reader;
};

// The side panel (columns 9..) without trailing spaces: one row, or all six joined by '|'.
inline std::string Panel(const ScreenText& s, int row = -1) {
  if (row < 0)
    return Panel(s, 0) + "|" + Panel(s, 1) + "|" + Panel(s, 2) + "|" + Panel(s, 3) + "|" + Panel(s, 4) + "|" +
           Panel(s, 5);
  const std::string line = s.lines[size_t(row)].substr(9);
  return line.substr(0, line.find_last_not_of(' ') + 1);
}

// Keys that move the cursor by (dx, dy) and press Enter there.
inline Keys Steer(int dx, int dy) {
  Keys keys(size_t(std::abs(dx)), dx > 0 ? KRight : KLeft);
  keys.resize(keys.size() + size_t(std::abs(dy)), dy > 0 ? KDown : KUp);
  keys.push_back(KReturn);
  return keys;
}

// Keys that take the cursor to the side to move's first legal square and play it, or
// a space to pass.
inline Keys KeysToFirstLegalSquare(const Game& game) {
  const GameState& st = game.state;
  for (int sq = FirstSquare; sq <= LastSquare; ++sq)
    if (game.board[sq] == Empty && game.board.CanPlay(sq, static_cast<Cell>(st.sideToMove)))
      return Steer(sq % 9 - st.cursorX, sq / 9 - st.cursorY);
  return {' '};
}

// A file's bytes; empty if it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

// The result the board gives the human.
inline std::string ResultText(const Game& g) {
  const int human = g.board.CountDiscs(Cell(g.state.humanColour)),
            other = g.board.CountDiscs(opponentOf[g.state.humanColour]);
  return human > other ? "You Win" : human < other ? "You Lose" : "DRAW";
}

}  // namespace dfx::testing
