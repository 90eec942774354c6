// Presses in the game's own terms: what a press means where it lands on each screen, and
// sessions played by presses that must show the very pictures of their key scripts.
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

// Presses at these points mean the same.
struct Landing {
  Waiting waiting;
  PressMeaning meaning;
  std::vector<PicturePoint> at;
  bool hint = true;
};

TEST(Pointer, APressMeansTheKeyOfWhatItLandsOn) {
  const PressMeaning none{}, any{KReturn};
  const auto sq = [](int x, int y) { return PressMeaning{KReturn, int8_t(x), int8_t(y)}; };
  const auto key = [](uint8_t k) { return PressForKey(k).value(); };
  const Landing table[] = {
      // The LCD's dots fill x 8..583, y 8..199 of the picture; the frame around means nothing.
      {AnyKey, any, {{8, 8}, {583, 199}, key(' ')}},
      {AnyKey, none, {{7, 8}, {8, 7}, {584, 199}, {583, 200}}},
      // A title line is its whole row, 32 pixels high from y 8. On "LEVEL 0(" and the two marks
      // the digit's cell is x 272..295, the right mark's from 344.
      {Title, {K1}, {{8, 40}, {583, 71}, key(K1)}},
      {Title, {K2}, {{300, 72}, key(keys::NumpadTwo)}},
      {Title, {KR}, {{300, 104}, {300, 135}, key(KR)}},
      {Title, {KLeft}, {{271, 136}, {296, 150}, {343, 150}, key(KLeft)}},
      {Title, {KRight}, {{344, 150}, key(KRight)}},
      {Title, none, {{300, 39}, {300, 168}, {272, 167}, {295, 150}, key(' ')}},
      // A square owns the dot lines left of and above its picture; the last column its right one too.
      {HumanTurn, sq(1, 1), {{8, 8}, {31, 31}}},
      {HumanTurn, sq(1, 2), {{31, 32}}},
      {HumanTurn, sq(2, 1), {{32, 31}}},
      {HumanTurn, sq(8, 8), {{203, 199}, SquareCentre(8, 8)}},
      {HumanTurn, sq(1, 8), {SquareCentre(1, 8)}},
      // Only the printed "[BS] UNDO" (x 224..439, y 72..103), and only while it shows.
      {HumanTurn, {KBack}, {{224, 72}, {439, 103}, key(KBack)}},
      {HumanTurn, none, {{204, 100}, {223, 88}, {440, 88}, {300, 71}, {300, 104}, key(' ')}},
      {HumanTurn, none, {key(KBack)}, false}};
  for (const Landing& l : table)
    for (const PicturePoint p : l.at)
      EXPECT_EQ(MeaningOfPress(l.waiting, l.hint, p.x, p.y), l.meaning)
          << int(l.waiting) << " " << p.x << "," << p.y;
  EXPECT_FALSE(PressForKey(KUp) || PressForKey(KDown));
}

// Presses in place of keys show the very same pictures at every wait. The title's choices; an
// occupied square and an illegal one take the cursor there and wait; the hint on the first turn
// does what Backspace does then (nothing); d3. Then a pass and the result answer any press.
TEST(Pointer, PressesShowThePicturesOfTheirKeys) {
  using Stages = std::vector<std::pair<Keys, Inputs>>;
  const std::pair<std::string, Stages> games[] = {
      {"",
       {{{KR, KRight, K1}, {TapKey(KR), TapKey(KRight), TapKey(K1)}},
        {{KRight, KRight, KRight, KRight, KDown, KDown, KDown, KDown, KReturn}, {TapSquare(5, 5)}},
        {{KLeft, KLeft, KLeft, KLeft, KUp, KUp, KUp, KUp, KReturn}, {TapSquare(1, 1)}},
        {{KBack}, {TapKey(KBack)}},
        {{KRight, KRight, KRight, KDown, KDown, KReturn}, {TapSquare(4, 3)}}}},
      {"XO" + std::string(62, '-'),
       {{{K2}, {TapKey(K2)}}, {{'A'}, {Tap(583, 8)}}, {{' '}, {TapSquare(8, 8)}}}}};
  for (const auto& game : games) {
    std::vector<std::vector<uint32_t>> pictures[2];
    for (const int byPress : {0, 1}) {
      Session s;
      if (!game.first.empty()) s.game->startBoard = BoardFromText(game.first).value();
      s.Play([&](const ScreenText&) {
        pictures[byPress].push_back(s.host.ScreenCopy().pixels);
        Inputs next;
        if (pictures[byPress].size() > game.second.size()) return next;
        const auto& [keys, presses] = game.second[pictures[byPress].size() - 1];
        if (byPress) return presses;
        for (uint8_t k : keys) next.push_back(Input{.key = k});
        return next;
      });
    }
    EXPECT_EQ(pictures[0].size(), game.second.size() + 1);
    EXPECT_TRUE(pictures[0] == pictures[1]) << game.first;
  }
}

}  // namespace
}  // namespace dfx::testing
