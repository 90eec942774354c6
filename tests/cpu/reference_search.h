// A plain, step-by-step computer player on the 91-cell board, kept only as the yardstick
// the engine's faster searches are compared with (results and speed).
#pragma once
#include <cstdint>
#include <string>

#include "rules/board.h"

namespace dfx::reference {

struct Result {
  int rootMoves = 0;
  int bestMove = 0;
  int16_t bestScore = 0;
  bool scoreMade = false;
  uint32_t evalCount = 0;
  uint32_t preSearchCount = 0;
  uint32_t fullBoardCount = 0;
  int nominalDepth = 0;
  int finalDepth = 0;
  int mode = 0;
  int weightSet = 0;
  std::string marks;
};

// The level table's choice for the board, then the whole search for `side`.
Result Search(const Board& board, Cell side, int level);

// The static evaluation of the board for `side`.
int16_t Evaluate(const Board& board, Cell side, int weightSet);

}  // namespace dfx::reference
