#include "rules/board.h"

namespace dfx {

Board::Board() {
  for (Cell& c : cells) c = Border;
  for (int y = 1; y <= 8; ++y)
    for (int x = 1; x <= 8; ++x) cells[SquareIndex(x, y)] = Empty;
}

bool Board::CanPlay(int square, Cell colour) const {
  const Cell other = opponentOf[colour];
  for (int d : directionOffsets) {
    int p = square + d;
    if (cells[p] != other) continue;
    do p += d;
    while (cells[p] == other);
    if (cells[p] == colour) return true;
  }
  return false;
}

bool Board::HasAnyMove(Cell sideToMove) const {
  for (int s = FirstSquare; s <= LastSquare; ++s)
    if (cells[s] == Empty && CanPlay(s, sideToMove)) return true;
  return false;
}

int Board::FlipDiscs(int square, Cell colour) {
  const Cell other = opponentOf[colour];
  int result = 0;
  for (int d : directionOffsets) {
    int p = square + d;
    while (cells[p] == other) p += d;
    if (p != square + d && cells[p] == colour) {
      result += 1;
      for (p -= d; p != square; p -= d) cells[p] = colour;
    }
  }
  return result;
}

int Board::Play(int square, Cell colour) {
  const int directions = FlipDiscs(square, colour);
  cells[square] = colour;
  return directions;
}

int Board::CountDiscs(Cell colour) const {
  int n = 0;
  for (int s = FirstSquare; s <= LastSquare; ++s) n += cells[s] == colour;
  return n;
}

}  // namespace dfx
