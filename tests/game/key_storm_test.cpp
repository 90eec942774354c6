// Whole games driven by random keys on the memory host: after every key the board,
// the counts and the screen read back must agree and hold only the game's own texts,
// and every game must reach its result screen. Seeded, so a failure replays exactly;
// DFX_STORM_GAMES raises the number of games per level and side for a longer soak.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "game/game.h"
#include "host/memory/memory_host.h"
#include "lcd/screen_reader.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

constexpr uint8_t KBack = 8, KReturn = 13, KLeft = 37, KUp = 38, KRight = 39, KDown = 40;

struct GameOver {};

const ScreenReader& Reader() {
  static const ScreenReader reader = [] {
    ScreenReader r;
    r.LoadGlyphs(std::string(DFX_SOURCE_DIR) + "/res/bmp");
    return r;
  }();
  return reader;
}

std::string Panel(const ScreenText& s, int row, size_t from = 9) { return s.lines[size_t(row)].substr(from); }

std::string Padded(const std::string& text) { return text + std::string(15 - text.size(), ' '); }

std::string Count2(int n) { return n < 10 ? " " + std::to_string(n) : std::to_string(n); }

// One program run on the memory host whose keys come from a seeded storm.
class Storm {
 public:
  Storm(uint32_t seed, int level, uint8_t startKey) : random_(seed), level_(level), startKey_(startKey) {
    UseVirtualClock(seed * 7919u);
    game_ = std::make_unique<Game>(host_);
    game_->StartUp();
    host_.SetOnKeysExhausted([this] { OnWait(); });
  }

  ~Storm() { StopPresser(); }

  // Plays one game from the title screen to its result; the result screen's text.
  std::string Play() {
    try {
      game_->RunForEver();
    } catch (const GameOver&) {
    } catch (const KeysExhausted&) {
    }
    StopPresser();
    return result_;
  }

  // Once the game is under way, a second thread presses this many random keys, as
  // the window thread stores them, whatever the game is doing. The timing is the
  // machine's, so only the key codes are reproducible.
  void PressFromAnotherThread(int keys) { presserKeys_ = keys; }

  int KeysUsed() const { return keys_; }

 private:
  uint8_t RandomKey() {
    const int pick = int(random_() % 100);
    if (pick < 48) return uint8_t(KLeft + pick % 4);
    if (pick < 63) return KReturn;
    if (pick < 73) return KBack;
    return uint8_t(1 + random_() % 255);
  }

  // A broken check ends the game here rather than leaving the game waiting for ever.
  void OnWait() {
    Step();
    if (::testing::Test::HasFatalFailure() || host_.PendingKeys() == 0) throw GameOver{};
  }

  void Step() {
    ++keys_;
    if (keys_ > MaxKeysPerGame) {
      ADD_FAILURE() << "the game did not end within " << MaxKeysPerGame << " keys";
      throw GameOver{};
    }
    const ScreenText screen = Reader().Read(host_.ScreenCopy());
    ASSERT_TRUE(screen.found) << "the LCD face is not on the screen";
    if (screen.lines[0] == "  Discoflipparex V2.3D  ") return OnTitle(screen);
    if (presserKeys_ > 0 && !presser_.joinable()) StartPresser();
    CheckGame(screen);
    const std::string row1 = Panel(screen, 1);
    if (row1 == Padded("DRAW") || row1 == Padded("You Win") || row1 == Padded("You Lose")) {
      result_ = row1.substr(0, row1.find_last_not_of(' ') + 1);
      throw GameOver{};
    }
    if (row1 == Padded("You Pass!")) {
      EXPECT_FALSE(game_->board.HasAnyMove(static_cast<Cell>(game_->state.humanColour)));
      host_.PushKey(RandomKey());
      return;
    }
    // The human's turn: storm on, until the turn drags or the game has had its share
    // of keys (undo after undo can go on for ever); then steer to a legal square.
    if (BoardChanged()) waitsThisTurn_ = 0;
    if (++waitsThisTurn_ > StallWaits || keys_ > StormKeysPerGame) {
      Steer();
      return;
    }
    host_.PushKey(RandomKey());
  }

  void OnTitle(const ScreenText& screen) {
    EXPECT_EQ(screen.lines[1], "     [1] YOU vs CPU     ");
    EXPECT_EQ(screen.lines[2], "     [2] CPU vs YOU     ");
    EXPECT_TRUE(screen.lines[3] == "     [R] RANDOM ON      " || screen.lines[3] == "     [R] RANDOM OFF     ")
        << screen.lines[3];
    EXPECT_EQ(screen.lines[4].substr(0, 11), "     LEVEL ");
    EXPECT_NE(std::string("0123S").find(screen.lines[4][11]), std::string::npos);
    if (startedGame_ && presser_.joinable()) {
      // A pressed key may end the result screen before it was ever waited on.
      const Board& board = game_->board;
      ASSERT_TRUE(board.CountDiscs(White) + board.CountDiscs(Black) == 64 ||
                  !(board.HasAnyMove(White) || board.HasAnyMove(Black)))
          << "back on the title screen before the game was over";
      result_ = "passed unseen";
      throw GameOver{};
    }
    ASSERT_FALSE(startedGame_) << "back on the title screen before a result";
    // A little noise that cannot start a game, then the level and the side.
    std::vector<uint8_t> keys;
    for (int i = int(random_() % 6); i > 0; --i) {
      uint8_t k = RandomKey();
      if (k != '1' && k != '2' && k != 0x61 && k != 0x62) keys.push_back(k);
    }
    for (int i = 0; i < 4; ++i) keys.push_back(KLeft);
    for (int i = 0; i < level_; ++i) keys.push_back(KRight);
    keys.push_back(startKey_);
    host_.PushKeys(keys);
    startedGame_ = true;
  }

  bool BoardChanged() {
    bool changed = false;
    for (int i = 0; i < BoardCells; ++i) {
      changed = changed || lastBoard_[i] != game_->board[i];
      lastBoard_[i] = game_->board[i];
    }
    return changed;
  }

  void CheckGame(const ScreenText& screen) {
    const Board& board = game_->board;
    const GameState& st = game_->state;
    ASSERT_EQ(st.cpuLevel, level_);
    ASSERT_EQ(st.humanColour, startKey_ == '1' ? Black : White);
    std::string squares;
    for (int i = 0; i < BoardCells; ++i) {
      const bool square = i >= FirstSquare && i <= LastSquare && i % 9 != 0;
      if (!square) {
        ASSERT_EQ(board[i], Border) << "cell " << i;
        continue;
      }
      ASSERT_TRUE(board[i] == Empty || board[i] == White || board[i] == Black) << "cell " << i << " = " << board[i];
      squares += board[i] == White ? 'O' : board[i] == Black ? 'X' : '-';
    }
    ASSERT_EQ(screen.board, squares) << "the board on screen is not the board";
    ASSERT_EQ(st.whiteCount, board.CountDiscs(White));
    ASSERT_EQ(st.blackCount, board.CountDiscs(Black));
    ASSERT_EQ(screen.lines[4].substr(10, 2), Count2(st.blackCount));
    ASSERT_EQ(screen.lines[5].substr(10, 2), Count2(st.whiteCount));
    ASSERT_TRUE(st.cursorX >= 1 && st.cursorX <= 8 && st.cursorY >= 1 && st.cursorY <= 8);

    const std::string lv = std::string("CPU Lv ") + "0123S"[level_];
    const std::set<std::string> row0 = {Padded(""), Padded("You (Black)"), Padded("You (White)"),
                                        Padded(lv + "(Black)"), Padded(lv + "(White)"), Padded(lv)};
    const std::set<std::string> row1 = {Padded(""), Padded("You Pass!"), Padded("DRAW"), Padded("You Win"),
                                        Padded("You Lose")};
    const std::set<std::string> row2 = {Padded(""), Padded("[BS] UNDO"), Padded("Hit Any Key")};
    EXPECT_EQ(row0.count(Panel(screen, 0)), 1u) << Panel(screen, 0);
    EXPECT_EQ(row1.count(Panel(screen, 1)), 1u) << Panel(screen, 1);
    EXPECT_EQ(row2.count(Panel(screen, 2)), 1u) << Panel(screen, 2);
    static const std::regex row3(R"(( {15})|(UNDO: {0,3}[1-9][0-9]* *))");
    EXPECT_TRUE(std::regex_match(Panel(screen, 3), row3)) << Panel(screen, 3);
    // The computer's report: a number in six columns and its unit, or its pass; what
    // a shorter text leaves of a longer one stays behind it.
    static const std::regex report(R"(( {12})|([ 0-9]CPU PASS {3})|([ \-0-9.]{6}:(Book|Eval\.|Leaf|s)[ A-Za-z.:]*))");
    EXPECT_TRUE(std::regex_match(Panel(screen, 4, 12), report)) << Panel(screen, 4, 12);
    EXPECT_TRUE(std::regex_match(Panel(screen, 5, 12), report)) << Panel(screen, 5, 12);
  }

  // Keys that take the cursor to the first legal square and play it.
  void Steer() {
    const GameState& st = game_->state;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
      if (game_->board[sq] != Empty || !game_->board.CanPlay(sq, static_cast<Cell>(st.sideToMove))) continue;
      std::vector<uint8_t> keys;
      const int x = sq % 9, y = sq / 9;
      for (int cx = st.cursorX; cx < x; ++cx) keys.push_back(KRight);
      for (int cx = st.cursorX; cx > x; --cx) keys.push_back(KLeft);
      for (int cy = st.cursorY; cy < y; ++cy) keys.push_back(KDown);
      for (int cy = st.cursorY; cy > y; --cy) keys.push_back(KUp);
      keys.push_back(KReturn);
      host_.PushKeys(keys);
      waitsThisTurn_ = 0;
      return;
    }
    ADD_FAILURE() << "the human's turn has no legal move and no pass was shown";
    throw GameOver{};
  }

  void StartPresser() {
    presser_ = std::thread([this, random = std::mt19937(presserKeys_)]() mutable {
      for (int i = 0; i < presserKeys_ && !stopPresser_.load(); ++i) {
        host_.PressKey(uint8_t(1 + random() % 255));
        std::this_thread::sleep_for(std::chrono::microseconds(50 + random() % 200));
      }
    });
  }

  void StopPresser() {
    stopPresser_.store(true);
    if (presser_.joinable()) presser_.join();
  }

  static constexpr int StallWaits = 40;
  static constexpr int StormKeysPerGame = 500;
  // Steering alone ends any game in 60 moves of at most 15 keys each.
  static constexpr int MaxKeysPerGame = StormKeysPerGame + StallWaits + 60 * 16;

  MemoryHost host_;
  std::unique_ptr<Game> game_;
  std::mt19937 random_;
  int level_;
  uint8_t startKey_;
  int keys_ = 0;
  int waitsThisTurn_ = 0;
  bool startedGame_ = false;
  int presserKeys_ = 0;
  std::thread presser_;
  std::atomic<bool> stopPresser_{false};
  Cell lastBoard_[BoardCells] = {};
  std::string result_;
};

int GamesPerLevelAndSide() {
  const char* text = std::getenv("DFX_STORM_GAMES");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : 1;
}

class KeyStorm : public ::testing::TestWithParam<int> {};

TEST_P(KeyStorm, EveryGameEndsWithConsistentBoardCountsAndTexts) {
  const int level = GetParam();
  const int games = GamesPerLevelAndSide();
  for (uint8_t startKey : {uint8_t('1'), uint8_t('2')}) {
    for (int g = 0; g < games; ++g) {
      const uint32_t seed = uint32_t(1000 * level + 100 * (startKey - '0') + g);
      SCOPED_TRACE("seed " + std::to_string(seed));
      Storm storm(seed, level, startKey);
      const std::string result = storm.Play();
      EXPECT_TRUE(result == "DRAW" || result == "You Win" || result == "You Lose") << "no result screen";
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EachLevel, KeyStorm, ::testing::Values(0, 1, 2, 3, 4));

TEST(KeyStormFromAnotherThread, KeysPressedWhileTheComputerThinksNeverBreakTheGame) {
  for (int level : {1, 4}) {
    SCOPED_TRACE("level " + std::to_string(level));
    Storm storm(uint32_t(77 + level), level, '2');
    storm.PressFromAnotherThread(3000);
    const std::string result = storm.Play();
    EXPECT_TRUE(result == "DRAW" || result == "You Win" || result == "You Lose" || result == "passed unseen")
        << "no result screen";
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace dfx
