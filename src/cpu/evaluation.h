// The static evaluation of a position for the side to move, and the two square-weight
// tables it reads: positional weights with the corner adjustment, frontier, corner-anchored
// edge runs, full inner edges between empty corners, and mobility.
#pragma once
#include <cstdint>

#include "cpu/bitboard.h"

namespace dfx {

constexpr int16_t CornerEdgeNeighbourWeight = 15;
constexpr int16_t CornerDiagonalNeighbourWeight = 10;

// Both weight sets by square index (border entries unused); set 1 serves from 58 discs on.
struct WeightTables {
  int16_t squareWeights[2][BoardCells];
  // The defaults the corner adjustment replaces, taken from squares 11 and 20 of each set.
  int16_t defaultEdgeNeighbour[2];
  int16_t defaultDiagonalNeighbour[2];

  WeightTables();
};

// The four corners with their two edge neighbours and their diagonal neighbour.
struct CornerNeighbourhood {
  int corner, edgeA, edgeB, diagonal;
};
inline constexpr CornerNeighbourhood cornerNeighbourhoods[4] = {
    {10, 11, 19, 20}, {17, 16, 26, 25}, {73, 64, 74, 65}, {80, 79, 71, 70}};

// Evaluation on bitboards; `own` belongs to the side the score is for.
class Evaluator {
 public:
  explicit Evaluator(const WeightTables& tables);
  int16_t Evaluate(Bits own, Bits other, int weightSet) const;

 private:
  // Squares sharing one weight, per set, with the corner neighbours left out.
  struct WeightClass {
    Bits squares;
    int16_t weight;
  };
  WeightClass classes_[2][12];
  int classCount_[2];
  Bits cornerBit_[4], edgeNeighbours_[4], diagonalNeighbour_[4];
  int16_t edgeWeight_[2], diagonalWeight_[2];
  // Edge-run and full-edge term of one edge, indexed by base-3 code of its eight squares.
  int16_t edgeTerm_[6561];
  uint16_t base3_[256];
};

// The edge term of one line of eight squares, position 0 and 7 being its corners:
// 4 x (own runs - other runs) + 40 x (own full inner edges - other full inner edges).
int EdgeTermOfLine(const int cells[8]);

}  // namespace dfx
