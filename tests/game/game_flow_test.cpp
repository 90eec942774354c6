// Sessions from the title screen through scripted keys, each screen read back from pixels.
#include "session.h"

namespace dfx::testing {
namespace {

struct Expect {
  size_t screen;
  int row;  // 6: the board's 64 squares
  size_t at;
  std::string text;
};

struct Flow {
  const char* name;
  const char* start;  // the start position, or null for the shipped one
  std::vector<Keys> stages;
  std::vector<Expect> expects;
  std::pair<int, int> cursor{};  // a square whose cursor box shows at the end
};

void PrintTo(const Flow& f, std::ostream* os) { *os << f.name; }

const char* kThreeEmpties = "-OXXXOX-" "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX" "XXXXXXO-";
const Keys kPlayA8H8 = {KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KReturn,
                        KDown, KDown, KDown, KDown, KDown, KDown, KDown, KReturn};

class GameFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(GameFlow, ShowsTheExpectedScreens) {
  const Flow& f = GetParam();
  Session s;
  if (f.start) s.game->startBoard = BoardFromText(f.start).value();
  const std::vector<ScreenText> screens = s.Run(f.stages);
  ASSERT_EQ(screens.size(), f.stages.size() + 1);
  for (const Expect& e : f.expects) {
    const ScreenText& t = screens[e.screen];
    EXPECT_EQ((e.row == 6 ? t.board : t.lines[size_t(e.row)]).substr(e.at, e.text.size()), e.text)
        << "screen " << e.screen << " row " << e.row;
  }
  if (f.cursor.first == 0) return;
  // The box's corner and edge-middle dots are dark.
  const portable::PixelSurface screen = s.host.ScreenCopy();
  const auto& dark = s.reader.Glyph(DarkDotGlyph);
  for (int d = 0; d < 6; ++d) {
    const int px0 = DotPixel(SquareDot(f.cursor.first) - 1 + d / 2 * 3), py0 = DotPixel(SquareDot(f.cursor.second) - 1 + d % 2 * 6);
    for (int p = 0; p < DotPixels * DotPixels; ++p)
      ASSERT_EQ(screen.At(px0 + p % DotPixels, py0 + p / DotPixels), dark->At(p % DotPixels, p / DotPixels)) << d;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Each, GameFlow,
    ::testing::Values(
        // Level bounds at 0 and S, keys that do nothing, the random switch.
        Flow{"Title", nullptr, {{KLeft}, Keys(6, KRight), {'X', ' ', KUp}, {KR}, {KR}},
             {{0, 0, 0, "  Discoflipparex V2.3D  "}, {0, 1, 0, "     [1] YOU vs CPU     "},
              {0, 2, 0, "     [2] CPU vs YOU     "}, {0, 3, 0, "     [R] RANDOM ON      "}, {0, 4, 0, "     LEVEL 0("},
              {0, 4, 21, ")        "}, {1, 4, 0, "     LEVEL 0("}, {2, 4, 0, "     LEVEL S("}, {3, 4, 0, "     LEVEL S("},
              {3, 3, 0, "     [R] RANDOM ON      "}, {4, 3, 0, "     [R] RANDOM OFF     "}, {5, 3, 0, "     [R] RANDOM ON "}}},
        // The computer opens d3 from the book; nothing to take back yet.
        Flow{"ComputerOpens", nullptr, {{K2}, {KBack}},
             {{1, 0, 9, "You (White)    "}, {1, 2, 9, "[BS] UNDO      "}, {1, 4, 10, " 4     0:Book"}, {1, 5, 10, " 1"},
              {1, 6, 16, "---X----" "---XX---"}, {2, 6, 16, "---X----" "---XX---"}, {2, 5, 10, " 1"}}},
        // d3 normalises the book to its first line, whose reply maps back to c3.
        Flow{"BookReply", nullptr, {{KR, K1, KRight, KRight, KRight, KDown, KDown, KReturn}},
             {{1, 6, 16, "--OX----"}, {1, 4, 12, "     1:Book"}, {1, 0, 9, "You (Black)    "}}},
        // One undo per turn restores board and counts; the result counts it.
        Flow{"UndoOncePerTurn", kThreeEmpties, {{K1, KReturn}, {KBack, KBack}, kPlayA8H8},
             {{1, 6, 0, "XXXXXOOO"}, {1, 4, 10, "59"}, {1, 5, 10, " 4"}, {2, 6, 0, "-OXXXOX-"}, {2, 4, 10, "58"},
              {2, 5, 10, " 3"}, {2, 2, 9, "               "}, {3, 0, 9, "CPU Lv 0       "}, {3, 1, 9, "You Win        "},
              {3, 3, 9, "UNDO:   1      "}, {3, 4, 10, "61"}, {3, 5, 10, " 3"}}},
        // The computer played h1, so the cursor box is there after the undo.
        Flow{"UndoKeepsTheCursorBox", kThreeEmpties, {{K1, KReturn}, {KBack}}, {}, {8, 1}},
        Flow{"BothPassToADraw", "X--------------------------------------------------------------O", {{K1}, {'A'}},
             {{1, 1, 9, "You Pass!      "}, {1, 2, 9, "Hit Any Key    "}, {2, 1, 9, "DRAW           "},
              {2, 2, 9, "               "}, {2, 4, 13, "CPU PASS   "}, {2, 3, 9, "               "}}},
        // d3 is not legal here, so the computer searched; its line stays shown at the pass.
        Flow{"ComputerFirstThenHumanPasses", "XO--------------------------------------------------------------",
             {{K2}, {'A'}},
             {{1, 6, 0, "XXX-----"}, {1, 0, 9, "CPU Lv 0(Black)"}, {1, 1, 9, "You Pass!      "},
              {2, 1, 9, "You Lose       "}, {2, 4, 10, " 3"}}},
        // No pass message on a full board; the next title keeps level and switch, and the
        // new game's cursor box shows where the last one left its box.
        Flow{"FullBoardAndSettingsSurvive", "-OXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
             {{KRight, KRight, KR, K1, KReturn}, {' '}, {K1}},
             {{1, 0, 9, "CPU Lv 2       "}, {1, 1, 9, "You Win        "}, {1, 4, 10, "64"}, {1, 5, 10, " 0"},
              {2, 4, 0, "     LEVEL 2("}, {2, 3, 0, "     [R] RANDOM OFF     "}},
             {1, 1}}),
    [](const ::testing::TestParamInfo<Flow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dfx::testing
