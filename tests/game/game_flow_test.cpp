// Sessions from the title screen through scripted keys, each screen read back from pixels,
// and the same sessions played by presses.
#include "game/pointer.h"
#include "session.h"

namespace dfx::testing {
namespace {

using Inputs = std::vector<Input>;

Input Tap(PicturePoint p) { return Input{.press = true, .x = p.x, .y = p.y}; }
Input TapKey(uint8_t key) { return Tap(PressForKey(key).value()); }
Input TapSquare(int x, int y) { return Tap(SquareCentre(x, y)); }

struct Flow {
  const char* name;
  std::string start;  // the start position, or empty for the shipped one
  std::vector<Keys> stages;
  // Per screen from the title on, what its text begins with: the side panel's rows joined
  // by '|', a '#', then the board (empty: not checked).
  std::vector<std::string> screens;
  std::pair<int, int> cursor{};  // a square whose cursor box shows at the end
  std::vector<Input> presses{};  // per stage, a press that must show the pictures its keys show
};

void PrintTo(const Flow& f, std::ostream* os) { *os << f.name; }

std::string Title(char level, const char* random = "ON") {
  return std::string("ipparex V2.3D|YOU vs CPU|CPU vs YOU|RANDOM ") + random + "|L " + level +
         "(\\x04\\x05)| DFX PROJECT#";
}
const std::string kFirstTurn =
    "You (Black)||[BS] UNDO||? 2|? 2#---------------------------OX------XO---------------------------";
const std::string kThreeEmpties = "-OXXXOX-" + std::string(48, 'X') + "XXXXXXO-";

class GameFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(GameFlow, ShowsTheExpectedScreensAndPressesShowThePicturesOfTheKeys) {
  const Flow& f = GetParam();
  std::vector<ScreenText> screens;                 // the title, then the screen after each stage of keys
  std::vector<std::vector<uint32_t>> pictures[2];  // at every wait, by keys and by presses
  for (const int byPress : {0, 1}) {
    if (byPress && f.presses.empty()) break;
    Session s;
    if (!f.start.empty()) s.game->startBoard = BoardFromText(f.start).value();
    s.Play([&](const ScreenText& t) -> Inputs {
      pictures[byPress].push_back(s.host.ScreenCopy().pixels);
      if (!byPress) screens.push_back(t);
      const size_t stage = pictures[byPress].size() - 1;
      Inputs next;
      if (stage >= f.stages.size()) return next;
      if (byPress) return {f.presses[stage]};
      for (uint8_t k : f.stages[stage]) next.push_back(Input{.key = k});
      return next;
    });
    if (byPress || f.cursor.first == 0) continue;
    const portable::PixelSurface screen = s.host.ScreenCopy();
    for (int d = 0; d < 6; ++d)  // the box's corner and edge-middle dots are dark
      for (int y = 0; y < DotPixels; ++y)
        for (int x = 0; x < DotPixels; ++x)
          ASSERT_EQ(screen.At(DotPixel(SquareDot(f.cursor.first) - 1 + d / 2 * 3) + x,
                              DotPixel(SquareDot(f.cursor.second) - 1 + d % 2 * 6) + y),
                    s.reader.Glyph(DarkDotGlyph)->At(x, y))
              << d;
  }
  ASSERT_EQ(screens.size(), f.stages.size() + 1);
  for (size_t i = 0; i < f.screens.size(); ++i)
    EXPECT_TRUE((Panel(screens[i]) + "#" + screens[i].board).starts_with(f.screens[i]))
        << "screen " << i << ": " << Panel(screens[i]) << "#" << screens[i].board;
  EXPECT_TRUE(f.presses.empty() || pictures[0] == pictures[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Each, GameFlow,
    ::testing::Values(
        // Level bounds at 0 and S, keys that do nothing, the random switch.
        Flow{"Title",
             "",
             {{KLeft}, Keys(6, KRight), {'X', ' ', KUp}, {KR}, {KR}},
             {Title('0'), Title('0'), Title('S'), Title('S'), Title('S', "OFF"), Title('S')}},
        // The computer opens d3 from the book; nothing to take back yet.
        Flow{"ComputerOpens",
             "",
             {{K2}, {KBack}},
             {"", "You (White)||[BS] UNDO||? 4     0:Book|? 1#-------------------X-------XX---",
              "You (White)||[BS] UNDO||? 4     0:Book|? 1#-------------------X-------XX---"}},
        // One undo per turn restores board and counts; the result counts it.
        Flow{"UndoOncePerTurn",
             kThreeEmpties,
             {{K1, KReturn}, {KBack, KBack}, Steer(-7, 0), Steer(0, 7)},
             {"", "You (Black)||[BS] UNDO||?59     0:Eval.|? 4     1:Leaf#XXXXXOOO",
              "You (Black)||||?58     0:Eval.|? 3     1:Leaf#-OXXXOX-", "",
              "CPU Lv 0|You Win||UNDO:   1|?61     0:Eval.|? 3     1:Leaf#"}},
        // Level S reports its search time in seconds, not its count of evaluations.
        Flow{"LevelSReportsSeconds",
             kThreeEmpties,
             {{KRight, KRight, KRight, KRight, K1, KReturn}},
             {"", "You (Black)||[BS] UNDO||?59     0:Eval.|? 4     0:s#XXXXXOOO"}},
        // An occupied square (e5), an illegal one (a1) and the undo on the first turn do nothing;
        // a press on a square takes the cursor there first. Then d3.
        Flow{"FirstTurnIgnoresOccupiedAndIllegalSquaresAndUndo",
             "",
             {{KR}, {KRight}, {K1}, Steer(4, 4), Steer(-4, -4), {KBack}, Steer(3, 2)},
             {Title('0'), Title('0', "OFF"), Title('1', "OFF"), kFirstTurn, kFirstTurn, kFirstTurn,
              kFirstTurn},
             {},
             {TapKey(KR), TapKey(KRight), TapKey(K1), TapSquare(5, 5), TapSquare(1, 1), TapKey(KBack),
              TapSquare(4, 3)}},
        // h1 leaves White no move; the undo after the computer's pass takes back h1.
        Flow{"UndoAfterTheComputerPassed",
             "XXXXXXO-------------------------------------------------XXXXXXO-",
             {{K1}, Steer(7, 0), {KBack}},
             {"", "", "You (Black)||[BS] UNDO||?14 CPU PASS|? 1#XXXXXXXX",
              "You (Black)||||?12 CPU PASS|? 2#XXXXXXO-"}},
        // The computer played h1, so the cursor box is there after the undo.
        Flow{"UndoKeepsTheCursorBox", kThreeEmpties, {{K1, KReturn}, {KBack}}, {}, {8, 1}},
        Flow{"BothPassToADraw",
             "X--------------------------------------------------------------O",
             {{K1}, {'A'}},
             {"", "|You Pass!|Hit Any Key||? 1|? 1#", "CPU Lv 0|DRAW|||? 1 CPU PASS|? 1#"}},
        // d3 is not legal here, so the computer searched; its line stays shown at the pass. The
        // pass and the result answer any press.
        Flow{"ComputerFirstThenHumanPasses",
             "XO--------------------------------------------------------------",
             {{K2}, {'A'}, {' '}},
             {"", "CPU Lv 0(Black)|You Pass!|Hit Any Key||? 3     0:Eval.|? 0     1:Leaf#XXX-----",
              "CPU Lv 0|You Lose|||? 3 CPU PASS|? 0     1:Leaf#"},
             {},
             {TapKey(K2), Tap({583, 8}), TapSquare(8, 8)}},
        // No pass message on a full board; the next title keeps level and switch, and the
        // new game's cursor box shows where the last one left its box.
        Flow{"FullBoardAndSettingsSurvive",
             "-OXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
             {{KRight, KRight, KR, K1, KReturn}, {' '}, {K1}},
             {"", "CPU Lv 2|You Win|||?64|? 0#", Title('2', "OFF")},
             {1, 1}}),
    [](const ::testing::TestParamInfo<Flow>& info) { return std::string(info.param.name); });

// The disc pictures (11 White, 12..14 its turns, 15 Black) as drawn: picture, square, tick.
using DiscDraw = std::tuple<int, int, uint32_t>;
struct DiscLog : Image {
  DiscLog(int n, std::vector<DiscDraw>& to) : picture(n), log(to) {}
  int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
    const int column = ((x - LcdMargin) / DotPixels + 5) / 6, row = ((y - LcdMargin) / DotPixels + 5) / 6;
    log.emplace_back(picture, SquareIndex(column, row), TickCount());
    return 1;
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
    draws.clear();
    return Keys{waits == 1 ? K1 : KReturn};
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
