// Helpers the cpu tests share: a progress sink that keeps the marks as digits, and board builders.
#pragma once
#include <cstdint>
#include <string>

#include "cpu/search.h"
#include "rules/board.h"

namespace dfx {

class ComputerPlayer;
uint64_t LiteralSignature(bool withLevelS);
void ExpectFastMatchesLiteral(ComputerPlayer& player, const Board& board, Cell side, const std::string& what);
void ExpectLiteralMatchesReference(ComputerPlayer& player, const Board& board, Cell side, int level,
                                   const std::string& what);

struct MarkRecorder : SearchProgress {
  std::string text;
  int starts = 0;
  void StartMarks() override { ++starts; }
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

// A board of `discs` discs on random squares, each Black with probability blackPercent / 100:
// not reachable in a game, but full of passes and wipe-outs, which the engine must handle alike.
inline Board ScatteredBoard(uint32_t seed, int discs, int blackPercent) {
  uint64_t state = seed * 0x9E3779B97F4A7C15ULL + 1;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  Board board;
  int placed = 0;
  while (placed < discs) {
    const int bit = static_cast<int>(next() % 64);
    const int square = SquareIndex(bit % 8 + 1, bit / 8 + 1);
    if (board[square] != Empty) continue;
    board[square] = static_cast<int>(next() % 100) < blackPercent ? Black : White;
    ++placed;
  }
  return board;
}

}  // namespace dfx
