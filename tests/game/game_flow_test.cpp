// Whole sessions on the memory host: keys in, the screen read back by glyph matching.
#include "session.h"

namespace dfx {
namespace {

using namespace dfx::testing;

const char* kThreeEmpties =
    "-OXXXOX-"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXXX"
    "XXXXXXO-";

TEST(TitleScreen, LevelBoundsRandomSwitchAndOtherKeys) {
  Session s;
  auto screens = s.Run({{}, {KLeft}, Repeat(KRight, 6), {'X', ' ', KUp}, {KR}, {KR}});
  ASSERT_EQ(screens.size(), 6u);
  EXPECT_EQ(screens[0].lines[0], "  Discoflipparex V2.3D  ");
  EXPECT_EQ(screens[0].lines[1], "     [1] YOU vs CPU     ");
  EXPECT_EQ(screens[0].lines[2], "     [2] CPU vs YOU     ");
  EXPECT_EQ(screens[0].lines[3], "     [R] RANDOM ON      ");
  EXPECT_EQ(screens[0].lines[4].substr(0, 13), "     LEVEL 0(");
  EXPECT_EQ(screens[0].lines[4].substr(21), ")        ");  // after the two marks
  EXPECT_EQ(screens[1].lines[4].substr(0, 13), "     LEVEL 0(");
  EXPECT_EQ(screens[2].lines[4].substr(0, 13), "     LEVEL S(");
  EXPECT_EQ(screens[3].lines, screens[2].lines);
  EXPECT_EQ(screens[4].lines[3], "     [R] RANDOM OFF     ");
  EXPECT_EQ(screens[5].lines[3], "     [R] RANDOM ON      ");
  EXPECT_EQ(s.game->state.cpuLevel, 4);
}

TEST(GameFlow, ComputerOpensWithD3AndUndoIsNotOfferedOnTheFirstTurn) {
  Session s;
  auto screens = s.Run({{K2}, {KBack}});
  ASSERT_EQ(screens.size(), 2u);
  const ScreenText& t = screens[0];
  EXPECT_EQ(Session::Panel(t, 0), "You (White)    ");
  EXPECT_EQ(Session::Panel(t, 2), "[BS] UNDO      ");
  EXPECT_EQ(t.lines[4].substr(10, 13), " 4     0:Book");
  EXPECT_EQ(t.lines[5].substr(10, 2), " 1");
  EXPECT_EQ(t.board.substr(16, 8), "---X----");  // d3
  EXPECT_EQ(t.board.substr(24, 8), "---XX---");
  EXPECT_EQ(screens[1].lines, t.lines);  // Backspace did nothing
  EXPECT_EQ(screens[1].board, t.board);
  EXPECT_EQ(s.game->state.undoCount, 0);
}

TEST(GameFlow, BookReplyAfterHumanOpensWithRandomOff) {
  Session s;
  std::vector<uint8_t> keys = {KR, K1};
  for (uint8_t k : Repeat(KRight, 3)) keys.push_back(k);
  for (uint8_t k : Repeat(KDown, 2)) keys.push_back(k);
  keys.push_back(KReturn);
  auto screens = s.Run({keys});
  ASSERT_EQ(screens.size(), 1u);
  // d3 normalises the book to its first line, whose reply maps back to c3.
  EXPECT_EQ(screens[0].board.substr(16, 8), "--OX----");
  EXPECT_EQ(screens[0].lines[4].substr(12, 11), "     1:Book");
  EXPECT_EQ(Session::Panel(screens[0], 0), "You (Black)    ");
}

TEST(GameFlow, UndoOncePerTurnRestoresBoardAndCountsAndShowsOnResult) {
  Session s;
  s.SetStartPosition(kThreeEmpties);
  std::vector<uint8_t> replay = Repeat(KLeft, 7);
  replay.push_back(KReturn);
  for (uint8_t k : Repeat(KDown, 7)) replay.push_back(k);
  replay.push_back(KReturn);
  auto screens = s.Run({{K1, KReturn}, {KBack, KBack}, replay});
  ASSERT_EQ(screens.size(), 3u);
  // Human took a1, the computer h1.
  EXPECT_EQ(screens[0].board.substr(0, 8), "XXXXXOOO");
  EXPECT_EQ(screens[0].lines[4].substr(10, 2), "59");
  EXPECT_EQ(screens[0].lines[5].substr(10, 2), " 4");
  // After the undo: the start again, fresh counts, the hint gone.
  EXPECT_EQ(screens[1].board.substr(0, 8), "-OXXXOX-");
  EXPECT_EQ(screens[1].lines[4].substr(10, 2), "58");
  EXPECT_EQ(screens[1].lines[5].substr(10, 2), " 3");
  EXPECT_EQ(Session::Panel(screens[1], 2), "               ");
  EXPECT_EQ(s.game->state.undoCount, 1);
  // The result: a full board, one undo in a field of four.
  const ScreenText& end = screens[2];
  EXPECT_EQ(Session::Panel(end, 0), "CPU Lv 0       ");
  EXPECT_EQ(Session::Panel(end, 1), "You Win        ");
  EXPECT_EQ(Session::Panel(end, 3), "UNDO:   1      ");
  EXPECT_EQ(end.lines[4].substr(10, 2), "61");
  EXPECT_EQ(end.lines[5].substr(10, 2), " 3");
}

// Whether the screen shows the cursor box of square (x, y): its corner and edge-middle dots are dark.
void ExpectCursorBox(Session& s, int x, int y) {
  const portable::PixelSurface screen = s.host.ScreenCopy();
  const auto& dark = s.reader.Glyph(DarkDotGlyph);
  ASSERT_TRUE(dark.has_value());
  for (int dx : {0, 3, 6}) {
    for (int dy : {0, 6}) {
      const int px0 = DotPixel(SquareDot(x) - 1 + dx), py0 = DotPixel(SquareDot(y) - 1 + dy);
      bool same = true;
      for (int py = 0; py < DotPixels; ++py)
        for (int px = 0; px < DotPixels; ++px) same = same && screen.At(px0 + px, py0 + py) == dark->At(px, py);
      EXPECT_TRUE(same) << "box of (" << x << ", " << y << ") at dot offset " << dx << "," << dy;
    }
  }
}

TEST(GameFlow, UndoLeavesTheCursorBoxVisible) {
  Session s;
  s.SetStartPosition(kThreeEmpties);
  s.Run({{K1, KReturn}, {KBack}});
  // The computer played h1, so the cursor and its box are on (8, 1).
  ExpectCursorBox(s, 8, 1);
}

TEST(GameFlow, HumanPassThenComputerPassEndsInADraw) {
  Session s;
  s.SetStartPosition(
      "X-------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "-------O");
  auto screens = s.Run({{K1}, {'A'}});
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_EQ(Session::Panel(screens[0], 1), "You Pass!      ");
  EXPECT_EQ(Session::Panel(screens[0], 2), "Hit Any Key    ");
  const ScreenText& end = screens[1];
  EXPECT_EQ(Session::Panel(end, 1), "DRAW           ");
  EXPECT_EQ(Session::Panel(end, 2), "               ");
  EXPECT_EQ(end.lines[4].substr(13), "CPU PASS   ");
  EXPECT_EQ(Session::Panel(end, 3), "               ");  // no undo taken
}

TEST(GameFlow, ComputerMovesFirstThenHumanPassesWithTheComputersLineStillShown) {
  Session s;
  s.SetStartPosition(
      "XO------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------");
  auto screens = s.Run({{K2}, {'A'}});
  ASSERT_EQ(screens.size(), 2u);
  // The fixed opening d3 is not legal here, so the computer searched.
  EXPECT_EQ(screens[0].board.substr(0, 8), "XXX-----");
  EXPECT_EQ(Session::Panel(screens[0], 0), "CPU Lv 0(Black)");
  EXPECT_EQ(Session::Panel(screens[0], 1), "You Pass!      ");
  EXPECT_EQ(Session::Panel(screens[1], 1), "You Lose       ");
  EXPECT_EQ(screens[1].lines[4].substr(10, 2), " 3");
}

TEST(GameFlow, FullBoardEndsWithoutPassMessageAndSettingsSurvive) {
  Session s;
  s.SetStartPosition(
      "-OXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX"
      "XXXXXXXX");
  auto screens = s.Run({{KRight, KRight, KR, K1, KReturn}, {' '}, {K1}});
  ASSERT_EQ(screens.size(), 3u);
  EXPECT_EQ(Session::Panel(screens[0], 0), "CPU Lv 2       ");
  EXPECT_EQ(Session::Panel(screens[0], 1), "You Win        ");
  EXPECT_EQ(screens[0].lines[4].substr(10, 2), "64");
  EXPECT_EQ(screens[0].lines[5].substr(10, 2), " 0");
  // Back on the title screen with the same level and switch.
  EXPECT_EQ(screens[1].lines[4].substr(0, 13), "     LEVEL 2(");
  EXPECT_EQ(screens[1].lines[3], "     [R] RANDOM OFF     ");
  // The last game left its box on (1, 1), where the new game's cursor starts: shown all the same.
  ExpectCursorBox(s, 1, 1);
}

class WholeGame : public ::testing::TestWithParam<int> {};

TEST_P(WholeGame, ReachesTheResultScreenWithConsistentCounts) {
  for (uint8_t startKey : {K1, K2}) {
    Session s;
    AutoPlayer player(s, GetParam(), startKey);
    ScreenText end = player.Play();
    const GameState& st = s.game->state;
    std::string expected = st.whiteCount == st.blackCount ? "DRAW"
                           : (st.humanColour == White ? st.whiteCount > st.blackCount : st.blackCount > st.whiteCount)
                               ? "You Win"
                               : "You Lose";
    EXPECT_EQ(Session::Panel(end, 1).substr(0, expected.size()), expected);
    EXPECT_EQ(Session::Panel(end, 0).substr(0, 8), std::string("CPU Lv ") + "0123S"[GetParam()]);
    EXPECT_FALSE(s.game->board.HasAnyMove(White) || s.game->board.HasAnyMove(Black));
  }
}

INSTANTIATE_TEST_SUITE_P(EachLevel, WholeGame, ::testing::Values(0, 1, 2, 3, 4));

}  // namespace
}  // namespace dfx
