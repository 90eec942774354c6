// Whole games driven by seeded random keys at every level and both sides: at every wait
// board, counts and screen agree and show only the game's own texts, and every game
// reaches the result its board gives.
#include <random>
#include <regex>

#include "session.h"

namespace dfx::testing {
namespace {

// One game from the title to its result; returns the result text. Now and then a key is
// pressed into the slot, as while the computer thinks: the game takes it before the scripted
// keys. Never Enter, and never on a result or the title, so each game keeps its level and side.
std::string Storm(uint32_t seed, int level, uint8_t startKey) {
  // Steering alone ends any game in 60 moves of at most 15 keys each.
  constexpr int StormWaits = 500, MaxWaits = StormWaits + 60 * 16;
  Session s(seed * 7919u);
  std::mt19937 random(seed);
  const auto randomKey = [&]() -> uint8_t {
    const int pick = int(random() % 100);
    return pick < 48   ? uint8_t(KLeft + pick % 4)
           : pick < 63 ? KReturn
           : pick < 73 ? KBack
                       : uint8_t(1 + random() % 255);
  };
  // Only the game's own texts; the computer's report is a number in six columns and its
  // unit, or its pass, and what a shorter text leaves of a longer one stays behind it.
  const std::string report =
      R"(\|\?[ 0-9][0-9]([ 0-9]CPU PASS|[ \-0-9.]{6}:(Book|Eval\.|Leaf|s)[ A-Za-z.:]*)?)";
  const std::regex panel("(|You \\((Black|White)\\)|CPU Lv " + std::string(1, "0123S"[level]) +
                         R"((\((Black|White)\))?)\|(|You Pass!|DRAW|You Win|You Lose))" +
                         R"(\|(|\[BS\] UNDO|Hit Any Key)\|(|UNDO: {0,3}[1-9][0-9]*))" + report + report);
  std::string result;
  int waits = 0;
  s.Play([&](const ScreenText& screen) -> Keys {
    const Game& g = *s.game;
    if (++waits > MaxWaits) {
      ADD_FAILURE() << "no end within " << MaxWaits << " waits";
      return Keys{};
    }
    if (waits == 1) {
      Keys keys;  // noise that cannot start a game, then the level and the side
      for (int i = int(random() % 6); i > 0; --i)
        if (const uint8_t k = randomKey(); k != '1' && k != '2' && k != 0x61 && k != 0x62) keys.push_back(k);
      keys.insert(keys.end(), 4, KLeft);
      keys.insert(keys.end(), size_t(level), KRight);
      keys.push_back(startKey);
      return keys;
    }
    // Level and side as chosen, every square holds a cell value (so all 27 Borders are round the
    // edge), the cursor on the board, and the screen shows the board.
    const GameState& st = g.state;
    const std::string squares = BoardToText(g.board);
    EXPECT_EQ(std::tuple(int(st.cpuLevel), st.humanColour, squares.find('?'),
                         std::count(g.board.cells, g.board.cells + BoardCells, Border), screen.board),
              std::tuple(level, startKey == K1 ? Black : White, std::string::npos, BoardCells - 64, squares));
    EXPECT_TRUE(st.cursorX >= 1 && st.cursorX <= 8 && st.cursorY >= 1 && st.cursorY <= 8);
    // Only the game's own texts (the pattern above).
    EXPECT_TRUE(std::regex_match(Panel(screen), panel)) << Panel(screen);
    if (::testing::Test::HasFailure()) return Keys{};  // one report, not one per wait
    const std::string row1 = Panel(screen, 1);
    if (row1 == "DRAW" || row1 == "You Win" || row1 == "You Lose") {
      EXPECT_EQ(row1, ResultText(g));
      result = row1;
      return Keys{};
    }
    if (row1 == "You Pass!") {
      EXPECT_FALSE(g.board.HasAnyMove(Cell(g.state.humanColour)));
      return {randomKey()};
    }
    if (waits < StormWaits && random() % 4 == 0)
      if (const uint8_t k = randomKey(); k != KReturn) s.host.PressKey(k);
    // Now and then, and always once the game has had its share of keys (undo after undo
    // could go on for ever), steer to a legal square.
    if (waits < StormWaits && random() % 25 != 0) return {randomKey()};
    const Keys keys = KeysToFirstLegalSquare(g);
    EXPECT_NE(keys, Keys{' '}) << "the human's turn has no legal move and no pass was shown";
    return keys;
  });
  return result;
}

class KeyStorm : public ::testing::TestWithParam<int> {};

TEST_P(KeyStorm, EveryGameEndsWithConsistentBoardCountsAndTexts) {
  for (uint8_t startKey : {K1, K2})
    EXPECT_NE(Storm(uint32_t(1000 * GetParam() + 100 * (startKey - '0')), GetParam(), startKey), "")
        << startKey;
}

INSTANTIATE_TEST_SUITE_P(EachLevel, KeyStorm, ::testing::Range(0, 5));

}  // namespace
}  // namespace dfx::testing
