// The engine's vocabulary: levels, scores, search modes and the bounds every part of the
// engine, the game and the tools agree on.
#pragma once
#include <cstdint>
#include <string_view>

namespace dfx {

// The computer's levels run 0..LevelS; the strongest is shown as S.
constexpr int LevelS = 4;
constexpr int LevelCount = LevelS + 1;

// The level's name on the screen and on command lines: '0'..'3' or 'S'.
constexpr char LevelName(int level) { return "0123S"[level < 0 ? 0 : level > LevelS ? LevelS : level]; }

// The level a name stands for: "0".."3", "S" or "s", and "4" for S; -1 for anything else.
constexpr int LevelFromName(std::string_view name) {
  if (name.size() != 1) return -1;
  if (name[0] == 'S' || name[0] == 's') return LevelS;
  return name[0] >= '0' && name[0] <= '0' + LevelS ? name[0] - '0' : -1;
}

// A search's score, from the side to move: an evaluation, -1/0/1, or a disc difference.
using Score = int16_t;

// What a search scores: the evaluation (midgame), only win/loss/draw (-1, 0, 1), or the
// exact disc difference.
enum class SearchMode : int16_t { Evaluation, WinLossDraw, Exact };

// The best score before any move is scored; below every real score.
constexpr Score NoScore = -9999;
// Beyond every score: the fast search's open window.
constexpr int ScoreInfinity = 32000;
// The extremes of an exact disc difference.
constexpr int MaxDiscDifference = 64;

constexpr int MaxPly = 30;
// A move list keeps the first 31 legal moves in the empty-square order.
constexpr int MoveListCapacity = 31;

}  // namespace dfx
