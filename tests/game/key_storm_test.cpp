// Whole games driven by seeded random keys at every level and both sides: at every wait
// board, counts and screen agree and show only the game's own texts, and every game
// reaches its result. DFX_STORM_GAMES sets the games per level and side for a longer soak.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <random>
#include <regex>
#include <thread>

#include "session.h"

namespace dfx::testing {
namespace {

bool IsResult(const std::string& text) { return text == "DRAW" || text == "You Win" || text == "You Lose"; }

std::string Trimmed(const std::string& s) { return s.substr(0, s.find_last_not_of(' ') + 1); }

class Storm {
 public:
  // pressedKeys: once the game is under way, a second thread presses that many random
  // keys as the window thread stores them; only their codes are reproducible.
  Storm(uint32_t seed, int level, uint8_t startKey, int pressedKeys = 0)
      : s_(seed * 7919u), random_(seed), level_(level), startKey_(startKey), pressedKeys_(pressedKeys) {
    const std::string lv = std::string("CPU Lv ") + "0123S"[level];
    panel_[0] = std::regex("|You \\((Black|White)\\)|" + lv + "(\\((Black|White)\\))?");
    s_.host.SetOnKeysExhausted([this] {
      Step();
      // A broken check ends the game here rather than leaving it waiting for ever.
      if (::testing::Test::HasFatalFailure() || s_.host.PendingKeys() == 0) throw KeysExhausted{};
    });
  }
  ~Storm() { StopPresser(); }

  // Plays from the title screen to the result; returns the result's text.
  std::string Play() {
    try {
      s_.game->RunForEver();
    } catch (const KeysExhausted&) {
    }
    StopPresser();
    return result_;
  }

 private:
  uint8_t RandomKey() {
    const int pick = int(random_() % 100);
    if (pick < 48) return uint8_t(KLeft + pick % 4);
    if (pick < 63) return KReturn;
    if (pick < 73) return KBack;
    return uint8_t(1 + random_() % 255);
  }

  void Step() {
    if (++keys_ > MaxKeys) {
      ADD_FAILURE() << "the game did not end within " << MaxKeys << " keys";
      throw KeysExhausted{};
    }
    const ScreenText screen = s_.reader.Read(s_.host.ScreenCopy());
    ASSERT_TRUE(screen.found) << "the LCD face is not on the screen";
    if (screen.lines[0] == "  Discoflipparex V2.3D  ") return OnTitle();
    if (pressedKeys_ > 0 && !presser_.joinable()) {
      presser_ = std::thread([this, random = std::mt19937(pressedKeys_)]() mutable {
        for (int i = 0; i < pressedKeys_ && !stopPresser_.load(); ++i) {
          s_.host.PressKey(uint8_t(1 + random() % 255));
          std::this_thread::sleep_for(std::chrono::microseconds(50 + random() % 200));
        }
      });
    }
    CheckGame(screen);
    const std::string row1 = Trimmed(Session::Panel(screen, 1));
    if (IsResult(row1)) {
      result_ = row1;
      throw KeysExhausted{};
    }
    if (row1 == "You Pass!") {
      EXPECT_FALSE(s_.game->board.HasAnyMove(Cell(s_.game->state.humanColour)));
      return s_.host.PushKey(RandomKey());
    }
    // Now and then, and always once the game has had its share of keys (undo after undo
    // could go on for ever), steer to a legal square.
    if (keys_ < StormKeys && random_() % 25 != 0) return s_.host.PushKey(RandomKey());
    const std::vector<uint8_t> keys = KeysToFirstLegalSquare(*s_.game);
    ASSERT_FALSE(keys.empty()) << "the human's turn has no legal move and no pass was shown";
    s_.host.PushKeys(keys);
  }

  void OnTitle() {
    if (started_) {
      // A key pressed from the other thread may end the result screen before it was waited on.
      const Board& b = s_.game->board;
      ASSERT_TRUE(presser_.joinable() && !b.HasAnyMove(White) && !b.HasAnyMove(Black))
          << "back on the title screen before a result";
      result_ = "passed unseen";
      throw KeysExhausted{};
    }
    // Some noise that cannot start a game, then the level and the side.
    std::vector<uint8_t> keys;
    for (int i = int(random_() % 6); i > 0; --i) {
      const uint8_t k = RandomKey();
      if (k != '1' && k != '2' && k != 0x61 && k != 0x62) keys.push_back(k);
    }
    keys.insert(keys.end(), {KLeft, KLeft, KLeft, KLeft});
    keys.insert(keys.end(), size_t(level_), KRight);
    keys.push_back(startKey_);
    s_.host.PushKeys(keys);
    started_ = true;
  }

  void CheckGame(const ScreenText& screen) {
    const Board& board = s_.game->board;
    const GameState& st = s_.game->state;
    ASSERT_EQ(st.cpuLevel, level_);
    ASSERT_EQ(st.humanColour, startKey_ == K1 ? Black : White);
    // Every square holds a cell value, so all 27 Borders are round the edge.
    const std::string squares = BoardToText(board);
    ASSERT_EQ(squares.find('?'), std::string::npos) << squares;
    ASSERT_EQ(std::count(board.cells, board.cells + BoardCells, Border), BoardCells - 64);
    ASSERT_EQ(screen.board, squares) << "the board on screen is not the board";
    ASSERT_EQ(st.blackCount, board.CountDiscs(Black));
    ASSERT_EQ(st.whiteCount, board.CountDiscs(White));
    char counts[16];
    std::snprintf(counts, sizeof counts, "%2d%2d", st.blackCount, st.whiteCount);
    ASSERT_EQ(screen.lines[4].substr(10, 2) + screen.lines[5].substr(10, 2), counts);
    ASSERT_TRUE(st.cursorX >= 1 && st.cursorX <= 8 && st.cursorY >= 1 && st.cursorY <= 8);
    for (int row = 0; row < 4; ++row) {
      EXPECT_TRUE(std::regex_match(Trimmed(Session::Panel(screen, row)), panel_[row])) << Session::Panel(screen, row);
    }
    // The computer's report: a number in six columns and its unit, or its pass; what a
    // shorter text leaves of a longer one stays behind it.
    static const std::regex report(R"(( {12})|([ 0-9]CPU PASS {3})|([ \-0-9.]{6}:(Book|Eval\.|Leaf|s)[ A-Za-z.:]*))");
    for (size_t row : {4, 5}) EXPECT_TRUE(std::regex_match(screen.lines[row].substr(12), report)) << screen.lines[row];
  }

  void StopPresser() {
    stopPresser_.store(true);
    if (presser_.joinable()) presser_.join();
  }

  // Steering alone ends any game in 60 moves of at most 15 keys each.
  static constexpr int StormKeys = 500, MaxKeys = StormKeys + 60 * 16;

  Session s_;
  std::mt19937 random_;
  int level_;
  uint8_t startKey_;
  int pressedKeys_;
  std::regex panel_[4] = {std::regex(""), std::regex("|You Pass!|DRAW|You Win|You Lose"),
                          std::regex("|\\[BS\\] UNDO|Hit Any Key"), std::regex("|UNDO: {0,3}[1-9][0-9]*")};
  int keys_ = 0;
  bool started_ = false;
  std::thread presser_;
  std::atomic<bool> stopPresser_{false};
  std::string result_;
};

class KeyStorm : public ::testing::TestWithParam<int> {};

TEST_P(KeyStorm, EveryGameEndsWithConsistentBoardCountsAndTexts) {
  const char* games = std::getenv("DFX_STORM_GAMES");
  const int n = games && std::atoi(games) > 0 ? std::atoi(games) : 1;
  for (uint8_t startKey : {K1, K2}) {
    for (int g = 0; g < n; ++g) {
      const uint32_t seed = uint32_t(1000 * GetParam() + 100 * (startKey - '0') + g);
      SCOPED_TRACE("seed " + std::to_string(seed));
      EXPECT_TRUE(IsResult(Storm(seed, GetParam(), startKey).Play())) << "no result screen";
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EachLevel, KeyStorm, ::testing::Range(0, 5));

TEST(KeyStormFromAnotherThread, KeysPressedWhileTheComputerThinksNeverBreakTheGame) {
  for (int level : {1, 4}) {
    SCOPED_TRACE("level " + std::to_string(level));
    const std::string result = Storm(uint32_t(77 + level), level, K2, 3000).Play();
    EXPECT_TRUE(IsResult(result) || result == "passed unseen") << "no result screen";
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace dfx::testing
