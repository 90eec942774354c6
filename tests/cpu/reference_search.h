// A plain, step-by-step computer player on the 91-cell board, kept only as the yardstick
// the engine's searches are compared with (results, counts, marks and speed).
#pragma once
#include <cstdint>
#include <string>

#include "rules/board.h"

namespace dfx::reference {

// The level table's choice for a board of `discs` discs.
struct Plan { int depth, mode, weightSet; };
Plan PlanFor(int discs, int level);

struct Result {
  int rootMoves = 0, bestMove = 0, bestScore = 0, finalDepth = 0;
  bool scoreMade = false;
  uint32_t evalCount = 0, preSearchCount = 0, fullBoardCount = 0;
  std::string marks;  // '/' where a row of marks starts, then one glyph digit per root move
};

Result Search(const Board& board, Cell side, int level);
int Evaluate(const Board& board, Cell side, int weightSet);

}  // namespace dfx::reference
