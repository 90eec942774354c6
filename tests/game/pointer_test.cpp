// Presses in the game's own terms: what a press means where it lands on each screen, and
// sessions played by presses that must show the very screens of their key scripts.
#include "game/pointer.h"
#include "session.h"

namespace dfx::testing {
namespace {

using Inputs = std::vector<Input>;
using enum Waiting;

Input Tap(PicturePoint p) { return Input{.press = true, .x = p.x, .y = p.y}; }
Input Tap(int x, int y) { return Tap(PicturePoint{int16_t(x), int16_t(y)}); }
Input TapKey(uint8_t key) { return Tap(PressForKey(key).value()); }
Input TapSquare(int x, int y) { return Tap(SquareCentre(x, y)); }

struct Landing {
  Waiting waiting;
  int x, y;
  PressMeaning meaning;
  bool hint = true;
};

TEST(Pointer, APressMeansTheKeyOfWhatItLandsOn) {
  const PressMeaning none{}, one{K1}, two{K2}, r{KR}, left{KLeft}, right{KRight}, back{KBack}, any{KReturn};
  const auto sq = [](int x, int y) { return PressMeaning{KReturn, int8_t(x), int8_t(y)}; };
  const Landing table[] = {
      // The LCD's dots fill x 8..583, y 8..199 of the picture; the frame around means nothing.
      {AnyKey, 8, 8, any},
      {AnyKey, 583, 199, any},
      {AnyKey, 7, 100, none},
      {AnyKey, 584, 100, none},
      {AnyKey, 300, 7, none},
      {AnyKey, 300, 200, none},
      {Title, 639, 203, none},
      {HumanTurn, 0, 0, none},
      // A title line is its whole row; rows are 32 pixels high from y 8.
      {Title, 300, 39, none},
      {Title, 8, 40, one},
      {Title, 583, 71, one},
      {Title, 300, 72, two},
      {Title, 300, 103, two},
      {Title, 300, 104, r},
      {Title, 300, 135, r},
      {Title, 400, 167, right},
      {Title, 300, 168, none},
      // "LEVEL 0(" and the two marks: the digit's cell is x 272..295, the right mark's from 344.
      {Title, 8, 150, left},
      {Title, 271, 150, left},
      {Title, 272, 150, none},
      {Title, 295, 150, none},
      {Title, 296, 150, left},
      {Title, 343, 150, left},
      {Title, 344, 150, right},
      {Title, 583, 150, right},
      // A square owns the dot lines left of and above its picture; the last column its right one too.
      {HumanTurn, 8, 8, sq(1, 1)},
      {HumanTurn, 31, 31, sq(1, 1)},
      {HumanTurn, 32, 31, sq(2, 1)},
      {HumanTurn, 31, 32, sq(1, 2)},
      {HumanTurn, 203, 199, sq(8, 8)},
      {HumanTurn, 204, 100, none},
      {HumanTurn, 7, 100, none},
      {HumanTurn, 100, 200, none},
      // Only the printed "[BS] UNDO" (x 224..439, y 72..103), and only while it shows.
      {HumanTurn, 224, 72, back},
      {HumanTurn, 439, 103, back},
      {HumanTurn, 223, 88, none},
      {HumanTurn, 440, 88, none},
      {HumanTurn, 300, 71, none},
      {HumanTurn, 300, 104, none},
      {HumanTurn, 300, 88, none, false},
      {Title, 300, 88, two, false}};
  for (const Landing& l : table)
    EXPECT_EQ(MeaningOfPress(l.waiting, l.hint, l.x, l.y), l.meaning)
        << int(l.waiting) << " " << l.x << "," << l.y << " " << l.hint;
}

// The points scripts use land where they say, and the any-key point means nothing elsewhere.
TEST(Pointer, ScriptPointsMeanTheirKeys) {
  for (int sq = 0; sq < 64; ++sq) {
    const int8_t x = int8_t(sq % 8 + 1), y = int8_t(sq / 8 + 1);
    const PicturePoint p = SquareCentre(x, y);
    const PressMeaning played{KReturn, x, y};
    EXPECT_EQ(MeaningOfPress(HumanTurn, true, p.x, p.y), played);
  }
  const std::tuple<uint8_t, Waiting, uint8_t> keys[] = {
      {K1, Title, K1},         {keys::NumpadTwo, Title, K2}, {KR, Title, KR},        {KLeft, Title, KLeft},
      {KRight, Title, KRight}, {KBack, HumanTurn, KBack},    {' ', AnyKey, KReturn}, {' ', Title, 0},
      {KReturn, HumanTurn, 0}};
  for (auto [key, waiting, meaning] : keys) {
    const PicturePoint p = PressForKey(key).value();
    EXPECT_EQ(MeaningOfPress(waiting, true, p.x, p.y).key, meaning) << int(key) << " " << int(waiting);
  }
  EXPECT_FALSE(PressForKey(KUp) || PressForKey(KDown));
}

struct Played {
  const char* name;
  const char* start;  // null: the shipped start position
  std::vector<std::pair<Keys, Inputs>> stages;
  bool toTheEnd = false;  // then the first legal square every turn, one undo, the result and the title
};

void PrintTo(const Played& p, std::ostream* os) { *os << p.name; }

// The screen at every wait that found the script empty, from the title on.
std::vector<std::vector<uint32_t>> Screens(const Played& p, bool byPress) {
  Session s;
  if (p.start) s.game->startBoard = BoardFromText(p.start).value();
  std::vector<std::vector<uint32_t>> screens;
  size_t stage = 0;
  int turns = 0;
  bool ended = false;
  s.host.SetOnKeysExhausted([&] {
    screens.push_back(s.host.ScreenCopy().pixels);
    Inputs next;
    const auto keys = [&](const Keys& k) {
      for (uint8_t c : k) next.push_back(Input{.key = c});
    };
    const Game& g = *s.game;
    if (stage < p.stages.size()) {
      byPress ? void(next = p.stages[stage].second) : keys(p.stages[stage].first);
      ++stage;
    } else if (p.toTheEnd && !std::exchange(ended, s.Over())) {
      const Keys moves = KeysToFirstLegalSquare(g);
      if (s.Over() || moves == Keys{' '}) {
        byPress ? next.push_back(TapKey(KReturn)) : keys({' '});
      } else if (++turns == 3) {
        byPress ? next.push_back(TapKey(KBack)) : keys({KBack});
      } else if (byPress) {
        int sq = FirstSquare;
        while (g.board[sq] != Empty || !g.board.CanPlay(sq, Cell(g.state.sideToMove))) ++sq;
        next.push_back(TapSquare(sq % 9, sq / 9));
      } else {
        keys(moves);
      }
    }
    if (next.empty() || ::testing::Test::HasFatalFailure()) throw KeysExhausted{};
    for (const Input& in : next) in.press ? s.host.PushPress(in.x, in.y) : s.host.PushKey(in.key);
  });
  try {
    s.game->RunForEver();
  } catch (const KeysExhausted&) {}
  return screens;
}

class PlayedByPresses : public ::testing::TestWithParam<Played> {};

TEST_P(PlayedByPresses, ShowsTheScreensOfItsKeyScript) {
  const auto byKeys = Screens(GetParam(), false), byPresses = Screens(GetParam(), true);
  ASSERT_EQ(byKeys.size(), byPresses.size());
  EXPECT_GT(byKeys.size(), GetParam().stages.size());
  for (size_t i = 0; i < byKeys.size(); ++i) EXPECT_TRUE(byKeys[i] == byPresses[i]) << "screen " << i;
}

const char* kThreeEmpties =
    "-OXXXOX-"
    "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"
    "XXXXXXO-";

INSTANTIATE_TEST_SUITE_P(
    Each, PlayedByPresses,
    ::testing::Values(
        // Presses on the digit and on the title's name do nothing; level 2 with RANDOM off.
        Played{"Title",
               nullptr,
               {{{KR}, {TapKey(KR)}},
                {{KRight, KRight, KRight},
                 {TapKey(KRight), Tap(280, 150), Tap(300, 20), TapKey(KRight), Tap(583, 136), Tap(600, 150)}},
                {{KLeft}, {Tap(8, 167)}},
                {{K2}, {TapKey(keys::NumpadTwo)}}}},
        // An occupied square and an illegal one take the cursor there and wait; the hint on
        // the first turn does what Backspace does then (nothing); d3 is played.
        Played{"SquaresAndTheFirstHint",
               nullptr,
               {{{K1}, {TapKey(K1)}},
                {{KRight, KRight, KRight, KRight, KDown, KDown, KDown, KDown, KReturn}, {TapSquare(5, 5)}},
                {{KLeft, KLeft, KLeft, KLeft, KUp, KUp, KUp, KUp, KReturn}, {TapSquare(1, 1)}},
                {{KBack}, {TapKey(KBack)}},
                {{KRight, KRight, KRight, KDown, KDown, KReturn}, {TapSquare(4, 3)}}}},
        // Undo by its hint, then the spot where it was means nothing; the second move's
        // press waits through the computer's turn; the result goes by a press on the LCD only.
        Played{"UndoAndResult",
               kThreeEmpties,
               {{{K1, KReturn}, {TapKey(K1), TapSquare(1, 1)}},
                {{KBack, KBack}, {TapKey(KBack), TapKey(KBack)}},
                {{KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KLeft, KReturn, KDown, KDown, KDown, KDown, KDown,
                  KDown, KDown, KReturn},
                 {TapSquare(1, 1), TapSquare(8, 8)}},
                {{' '}, {Tap(600, 100), Tap(8, 199)}}}},
        Played{"PassThenResult",
               "XO--------------------------------------------------------------",
               {{{K2}, {TapKey(K2)}}, {{'A'}, {Tap(583, 8)}}, {{' '}, {TapSquare(8, 8)}}}},
        Played{"WholeGame", nullptr, {{{K1}, {TapKey(K1)}}}, true}),
    [](const ::testing::TestParamInfo<Played>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dfx::testing
