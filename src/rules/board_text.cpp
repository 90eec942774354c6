#include "rules/board.h"

namespace dfx {

std::optional<Board> BoardFromText(std::string_view text) {
  if (text.size() != 64) return std::nullopt;
  Board board;
  for (int i = 0; i < 64; ++i) {
    Cell cell;
    switch (text[static_cast<size_t>(i)]) {
      case '-':
      case '.': cell = Empty; break;
      case 'X':
      case 'x': cell = Black; break;
      case 'O':
      case 'o': cell = White; break;
      default: return std::nullopt;
    }
    board[SquareIndex(i % 8 + 1, i / 8 + 1)] = cell;
  }
  return board;
}

std::string BoardToText(const Board& board) {
  std::string text;
  for (int y = 1; y <= 8; ++y)
    for (int x = 1; x <= 8; ++x) {
      const Cell c = board[SquareIndex(x, y)];
      text += c == Black ? 'X' : c == White ? 'O' : c == Empty ? '-' : '?';
    }
  return text;
}

}  // namespace dfx
