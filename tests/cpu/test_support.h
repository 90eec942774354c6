// Helpers the cpu tests share: a progress sink that keeps the marks as text, a scattered-board
// builder, and the equality checks between engine, literal search and reference.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "cpu/computer_player.h"

namespace dfx {

struct MarkRecorder : SearchProgress {
  std::string text;  // '/' for each start of a row, then the glyph digits
  void StartMarks() override { text += '/'; }
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

// `discs` discs on random squares, each Black with probability blackPercent / 100: not
// reachable in a game, but full of passes and wipe-outs.
Board ScatteredBoard(uint32_t seed, int discs, int blackPercent);

uint64_t LiteralSignature(bool withLevelS);
void ExpectLiteralMatchesReference(const Board& board, Cell side, int level);
void ExpectFastMatchesLiteral(ComputerPlayer& player, const Board& board, Cell side);

}  // namespace dfx
