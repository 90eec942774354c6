// Sessions from the title screen through scripted keys, each screen read back from pixels.
#include "session.h"

namespace dfx::testing {
namespace {

struct Flow {
  const char* name;
  const char* start;  // the start position, or null for the shipped one
  std::vector<Keys> stages;
  // Per screen from the title on: the side panel's rows joined by '|' (empty: not
  // checked), and the first squares of the board.
  std::vector<std::pair<std::string, std::string>> screens;
  std::pair<int, int> cursor{};  // a square whose cursor box shows at the end
};

void PrintTo(const Flow& f, std::ostream* os) { *os << f.name; }

std::string Title(char level, const char* random = "ON") {
  return std::string("ipparex V2.3D|YOU vs CPU|CPU vs YOU|RANDOM ") + random + "|L " + level +
         "(\\x04\\x05)| DFX PROJECT";
}
const std::pair<std::string, std::string> kFirstTurn = {
    "You (Black)||[BS] UNDO||? 2|? 2", "---------------------------OX------XO---------------------------"};
const char* kThreeEmpties =
    "-OXXXOX-"
    "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"
    "XXXXXXO-";
const Keys kPlayA8H8 = {KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KReturn,
                        KDown, KDown, KDown, KDown, KDown, KDown, KDown, KReturn};

class GameFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(GameFlow, ShowsTheExpectedScreens) {
  const Flow& f = GetParam();
  Session s;
  if (f.start) s.game->startBoard = BoardFromText(f.start).value();
  std::vector<ScreenText> screens;  // the title, then the screen after each stage of keys
  s.Play([&](const ScreenText& t) {
    return screens.push_back(t), screens.size() <= f.stages.size() ? f.stages[screens.size() - 1] : Keys{};
  });
  ASSERT_EQ(screens.size(), f.stages.size() + 1);
  for (size_t i = 0; i < f.screens.size(); ++i)
    EXPECT_TRUE((f.screens[i].first.empty() || Panel(screens[i]) == f.screens[i].first) &&
                screens[i].board.starts_with(f.screens[i].second))
        << "screen " << i << ": " << Panel(screens[i]) << " " << screens[i].board;
  if (f.cursor.first == 0) return;
  const portable::PixelSurface screen = s.host.ScreenCopy();
  for (int d = 0; d < 6; ++d)  // the box's corner and edge-middle dots are dark
    for (int y = 0; y < DotPixels; ++y)
      for (int x = 0; x < DotPixels; ++x)
        ASSERT_EQ(screen.At(DotPixel(SquareDot(f.cursor.first) - 1 + d / 2 * 3) + x,
                            DotPixel(SquareDot(f.cursor.second) - 1 + d % 2 * 6) + y),
                  s.reader.Glyph(DarkDotGlyph)->At(x, y))
            << d;
}

INSTANTIATE_TEST_SUITE_P(
    Each, GameFlow,
    ::testing::Values(
        // Level bounds at 0 and S, keys that do nothing, the random switch.
        Flow{"Title",
             nullptr,
             {{KLeft}, Keys(6, KRight), {'X', ' ', KUp}, {KR}, {KR}},
             {{Title('0'), ""},
              {Title('0'), ""},
              {Title('S'), ""},
              {Title('S'), ""},
              {Title('S', "OFF"), ""},
              {Title('S'), ""}}},
        // The computer opens d3 from the book; nothing to take back yet.
        Flow{"ComputerOpens",
             nullptr,
             {{K2}, {KBack}},
             {{"", ""},
              {"You (White)||[BS] UNDO||? 4     0:Book|? 1", "-------------------X-------XX---"},
              {"You (White)||[BS] UNDO||? 4     0:Book|? 1", "-------------------X-------XX---"}}},
        // One undo per turn restores board and counts; the result counts it.
        Flow{"UndoOncePerTurn",
             kThreeEmpties,
             {{K1, KReturn}, {KBack, KBack}, kPlayA8H8},
             {{"", ""},
              {"You (Black)||[BS] UNDO||?59     0:Eval.|? 4     1:Leaf", "XXXXXOOO"},
              {"You (Black)||||?58     0:Eval.|? 3     1:Leaf", "-OXXXOX-"},
              {"CPU Lv 0|You Win||UNDO:   1|?61     0:Eval.|? 3     1:Leaf", ""}}},
        // Level S reports its search time in seconds, not its count of evaluations.
        Flow{"LevelSReportsSeconds",
             kThreeEmpties,
             {{KRight, KRight, KRight, KRight, K1, KReturn}},
             {{"", ""}, {"You (Black)||[BS] UNDO||?59     0:Eval.|? 4     0:s", "XXXXXOOO"}}},
        // Enter on an empty square that takes nothing, then on an occupied one.
        Flow{"EnterOnAnIllegalOrOccupiedSquareDoesNothing",
             nullptr,
             {{K1}, {KReturn}, {KRight, KRight, KRight, KDown, KDown, KDown, KReturn}},
             {{"", ""}, kFirstTurn, kFirstTurn, kFirstTurn}},
        // h1 leaves White no move; the undo after the computer's pass takes back h1.
        Flow{"UndoAfterTheComputerPassed",
             "XXXXXXO-------------------------------------------------XXXXXXO-",
             {{K1}, {KRight, KRight, KRight, KRight, KRight, KRight, KRight, KReturn}, {KBack}},
             {{"", ""},
              {"", ""},
              {"You (Black)||[BS] UNDO||?14 CPU PASS|? 1", "XXXXXXXX"},
              {"You (Black)||||?12 CPU PASS|? 2", "XXXXXXO-"}}},
        // The computer played h1, so the cursor box is there after the undo.
        Flow{"UndoKeepsTheCursorBox", kThreeEmpties, {{K1, KReturn}, {KBack}}, {}, {8, 1}},
        Flow{"BothPassToADraw",
             "X--------------------------------------------------------------O",
             {{K1}, {'A'}},
             {{"", ""}, {"|You Pass!|Hit Any Key||? 1|? 1", ""}, {"CPU Lv 0|DRAW|||? 1 CPU PASS|? 1", ""}}},
        // d3 is not legal here, so the computer searched; its line stays shown at the pass.
        Flow{"ComputerFirstThenHumanPasses",
             "XO--------------------------------------------------------------",
             {{K2}, {'A'}},
             {{"", ""},
              {"CPU Lv 0(Black)|You Pass!|Hit Any Key||? 3     0:Eval.|? 0     1:Leaf", "XXX-----"},
              {"CPU Lv 0|You Lose|||? 3 CPU PASS|? 0     1:Leaf", ""}}},
        // No pass message on a full board; the next title keeps level and switch, and the
        // new game's cursor box shows where the last one left its box.
        Flow{"FullBoardAndSettingsSurvive",
             "-OXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
             {{KRight, KRight, KR, K1, KReturn}, {' '}, {K1}},
             {{"", ""}, {"CPU Lv 2|You Win|||?64|? 0", ""}, {Title('2', "OFF"), ""}},
             {1, 1}}),
    [](const ::testing::TestParamInfo<Flow>& info) { return std::string(info.param.name); });

// The disc pictures (11 White, 12..14 its turns, 15 Black) as drawn: picture, square, tick.
using DiscDraw = std::tuple<int, int, uint32_t>;
struct DiscLog : Image {
  DiscLog(int n, std::vector<DiscDraw>& to) : picture(n), log(to) {}
  int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
    const int column = ((x - LcdMargin) / DotPixels + 5) / 6, row = ((y - LcdMargin) / DotPixels + 5) / 6;
    return log.emplace_back(picture, SquareIndex(column, row), TickCount()), 1;
  }
  int32_t Load(const char*) override { return 1; }
  void BindToWindow() override {}
  int32_t BitmapWidth() const override { return 0; }
  int32_t BitmapHeight() const override { return 0; }
  int32_t SetCaptureDelay(int32_t) override { return 1; }
  int picture;
  std::vector<DiscDraw>& log;
};

// a1 takes b1 and a2: each turns through the five pictures 120 ms apart on the virtual
// clock, the placed disc never; 600 ms on, the board is drawn again.
TEST(FlipAnimation, TurnsEveryFlippedDiscAndNeverThePlacedOne) {
  Session s;
  s.game->startBoard = BoardFromText("-OX-----O-------X" + std::string(47, '-')).value();
  std::vector<DiscDraw> draws, want;
  for (int n = 11; n <= 15; ++n) s.game->lcd.glyphs[size_t(n)] = std::make_unique<DiscLog>(n, draws);
  int waits = 0;
  s.Play([&](const ScreenText&) {
    if (++waits == 3) return Keys{};  // the result
    return draws.clear(), Keys{waits == 1 ? K1 : KReturn};
  });
  ASSERT_EQ(waits, 3);
  const uint32_t t = draws.empty() ? 0 : std::get<2>(draws[0]);
  const int a1 = SquareIndex(1, 1), b1 = SquareIndex(2, 1), a2 = SquareIndex(1, 2);
  want.emplace_back(15, a1, t);
  for (int f = 0; f < 5; ++f)
    for (int square : {b1, a2}) want.emplace_back(11 + f, square, t + 120 * f);
  for (int square : {a1, b1, SquareIndex(3, 1), a2, SquareIndex(1, 3)})
    want.emplace_back(15, square, t + 600);
  EXPECT_EQ(draws, want);
}

}  // namespace
}  // namespace dfx::testing
