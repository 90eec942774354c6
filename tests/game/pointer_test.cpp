// Presses in the game's own terms: what a press means where it lands on each screen. Sessions
// played by presses are in the game flow test.
#include "game/pointer.h"
#include "session.h"

namespace dfx::testing {
namespace {

using enum Waiting;

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

}  // namespace
}  // namespace dfx::testing
