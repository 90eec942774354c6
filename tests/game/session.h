// Whole sessions on the memory host for tests: scripted keys in stages, the screen
// read back by glyph matching, and a player that takes the first legal square.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "host/keys.h"
#include "host/memory/memory_host.h"
#include "screen_reader/screen_reader.h"
#include "runtime/clock.h"

namespace dfx::testing {

constexpr uint8_t K1 = keys::One, K2 = keys::Two, KR = keys::R, KBack = keys::Back, KReturn = keys::Return;
constexpr uint8_t KLeft = keys::Left, KUp = keys::Up, KRight = keys::Right, KDown = keys::Down;

// One program run; each stage's keys are delivered in turn, and the screen is read
// whenever the game waits with no key left.
class Session {
 public:
  explicit Session(uint32_t tick = 4242, const std::string& glyphDir = "res/bmp") {
    UseVirtualClock(tick);
    game = std::make_unique<Game>(host);
    reader.LoadGlyphs(glyphDir);
    game->StartUp();
  }

  // The board text of the next game's start.
  void SetStartPosition(const char* squares) { game->startBoard = BoardFromText(squares).value(); }

  // Runs the program through the stages; returns the screen seen at the end of each.
  std::vector<ScreenText> Run(const std::vector<std::vector<uint8_t>>& stages) {
    std::vector<ScreenText> screens;
    size_t next = 0;
    host.SetOnKeysExhausted([&] {
      screens.push_back(reader.Read(host.ScreenCopy()));
      if (next >= stages.size()) throw KeysExhausted{};
      host.PushKeys(stages[next++]);
    });
    try {
      game->RunForEver();
    } catch (const KeysExhausted&) {
    }
    // The first wait is the title screen before any key.
    if (!screens.empty()) screens.erase(screens.begin());
    return screens;
  }

  // Columns 9.. of a text line: the side panel.
  static std::string Panel(const ScreenText& s, int row) { return s.lines[size_t(row)].substr(9); }

  MemoryHost host;
  std::unique_ptr<Game> game;
  ScreenReader reader;
};

inline std::vector<uint8_t> Repeat(uint8_t key, int n) { return std::vector<uint8_t>(size_t(n), key); }

// Keys that take the cursor to the side to move's first legal square and play it;
// empty when it has none.
inline std::vector<uint8_t> KeysToFirstLegalSquare(const Game& game) {
  const GameState& st = game.state;
  for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
    if (game.board[sq] != Empty || !game.board.CanPlay(sq, static_cast<Cell>(st.sideToMove))) continue;
    std::vector<uint8_t> keys;
    const int x = sq % 9, y = sq / 9;
    for (int cx = st.cursorX; cx < x; ++cx) keys.push_back(KRight);
    for (int cx = st.cursorX; cx > x; --cx) keys.push_back(KLeft);
    for (int cy = st.cursorY; cy < y; ++cy) keys.push_back(KDown);
    for (int cy = st.cursorY; cy > y; --cy) keys.push_back(KUp);
    keys.push_back(KReturn);
    return keys;
  }
  return {};
}

// Plays whole games: the human side takes its first legal square in index order.
class AutoPlayer {
 public:
  AutoPlayer(Session& s, int level, uint8_t startKey) : s_(s) {
    script_ = Repeat(KRight, level);
    script_.push_back(startKey);
  }

  // Keys for the current wait, or empty at the result screen.
  std::vector<uint8_t> NextKeys(const ScreenText& screen) {
    if (!started_) {
      started_ = true;
      return script_;
    }
    std::string row1 = Session::Panel(screen, 1);
    if (row1.rfind("DRAW", 0) == 0 || row1.rfind("You Win", 0) == 0 || row1.rfind("You Lose", 0) == 0) return {};
    if (row1.rfind("You Pass!", 0) == 0) return {' '};
    std::vector<uint8_t> keys = KeysToFirstLegalSquare(*s_.game);
    if (keys.empty()) ADD_FAILURE() << "waiting for the human with no legal move and no pass shown";
    return keys;
  }

  ScreenText Play() {
    ScreenText last;
    s_.host.SetOnKeysExhausted([&] {
      last = s_.reader.Read(s_.host.ScreenCopy());
      // Counts on screen always match the board.
      int black = s_.game->board.CountDiscs(Black), white = s_.game->board.CountDiscs(White);
      EXPECT_EQ(s_.game->state.blackCount, black);
      EXPECT_EQ(s_.game->state.whiteCount, white);
      std::vector<uint8_t> keys = NextKeys(last);
      if (keys.empty()) throw KeysExhausted{};
      recorded.insert(recorded.end(), keys.begin(), keys.end());
      s_.host.PushKeys(keys);
    });
    try {
      s_.game->RunForEver();
    } catch (const KeysExhausted&) {
    }
    return last;
  }

 // Every key the player gave, in order: a script that replays the same game.
  std::vector<uint8_t> recorded;

 private:
  Session& s_;
  std::vector<uint8_t> script_;
  bool started_ = false;
};

}  // namespace dfx::testing
