#include "cpu/evaluation.h"

namespace dfx {
namespace {

constexpr int16_t set0[8][8] = {{60, -20, 0, -2, -2, 0, -20, 60},     {-20, -40, -3, -3, -3, -3, -40, -20},
                                {0, -3, 0, -1, -1, 0, -3, 0},         {-2, -3, -1, -1, -1, -1, -3, -2},
                                {-2, -3, -1, -1, -1, -1, -3, -2},     {0, -3, 0, -1, -1, 0, -3, 0},
                                {-20, -40, -3, -3, -3, -3, -40, -20}, {60, -20, 0, -2, -2, 0, -20, 60}};
constexpr int16_t set1[8][8] = {{5, -1, 1, 1, 1, 1, -1, 5},   {-1, -3, 1, 1, 1, 1, -3, -1},
                                {1, 1, 1, 1, 1, 1, 1, 1},     {1, 1, 1, 1, 1, 1, 1, 1},
                                {1, 1, 1, 1, 1, 1, 1, 1},     {1, 1, 1, 1, 1, 1, 1, 1},
                                {-1, -3, 1, 1, 1, 1, -3, -1}, {5, -1, 1, 1, 1, 1, -1, 5}};

constexpr Bits Bit(int square) { return Bits{1} << BitOfSquare(square); }

// Column x = 1 or 8 gathered into one byte, row 1 in bit 0.
inline unsigned FileByte(Bits b, int shift) {
  return static_cast<unsigned>((((b >> shift) & 0x0101010101010101ULL) * 0x0102040810204080ULL) >> 56);
}

}  // namespace

WeightTables::WeightTables() {
  for (auto& set : squareWeights)
    for (int16_t& w : set) w = 0;
  for (int y = 1; y <= 8; ++y)
    for (int x = 1; x <= 8; ++x) {
      squareWeights[0][SquareIndex(x, y)] = set0[y - 1][x - 1];
      squareWeights[1][SquareIndex(x, y)] = set1[y - 1][x - 1];
    }
  for (int set = 0; set < 2; ++set) {
    defaultEdgeNeighbour[set] = squareWeights[set][11];
    defaultDiagonalNeighbour[set] = squareWeights[set][20];
  }
}

int EdgeTermOfLine(const int cells[8]) {
  // cells: 0 empty, 1 own, 2 other
  int own = 0, other = 0;
  auto run = [&](int from, int step) {
    const int colour = cells[from];
    int n = 0;
    for (int p = from + step; n < 7 && cells[p] == colour; p += step) ++n;
    (colour == 1 ? own : other) += n;
    return n;
  };
  if (cells[0] != 0) {
    if (run(0, 1) != 7 && cells[7] != 0) run(7, -1);
  } else if (cells[7] != 0) {
    run(7, -1);
  }
  int full = 0;
  if (cells[0] == 0 && cells[7] == 0 && cells[1] != 0) {
    bool all = true;
    for (int p = 2; p <= 6; ++p) all = all && cells[p] == cells[1];
    if (all) full = cells[1] == 1 ? 1 : -1;
  }
  return 4 * (own - other) + 40 * full;
}

Evaluator::Evaluator(const WeightTables& tables) {
  for (int k = 0; k < 4; ++k) {
    const CornerNeighbourhood& c = cornerNeighbourhoods[k];
    cornerBit_[k] = Bit(c.corner);
    edgeNeighbours_[k] = Bit(c.edgeA) | Bit(c.edgeB);
    diagonalNeighbour_[k] = Bit(c.diagonal);
  }
  Bits neighbours = 0;
  for (int k = 0; k < 4; ++k) neighbours |= edgeNeighbours_[k] | diagonalNeighbour_[k];
  for (int set = 0; set < 2; ++set) {
    edgeWeight_[set] = tables.defaultEdgeNeighbour[set];
    diagonalWeight_[set] = tables.defaultDiagonalNeighbour[set];
    classCount_[set] = 0;
    // Corner neighbours are weighed per corner below, from the defaults or the adjusted values.
    for (int bit = 0; bit < 64; ++bit) {
      if (neighbours & (Bits{1} << bit)) continue;
      const int16_t w = tables.squareWeights[set][SquareOfBit(bit)];
      if (w == 0) continue;
      int i = 0;
      while (i < classCount_[set] && classes_[set][i].weight != w) ++i;
      if (i == classCount_[set]) classes_[set][classCount_[set]++] = {0, w};
      classes_[set][i].squares |= Bits{1} << bit;
    }
  }
  for (int code = 0; code < 6561; ++code) {
    int cells[8], c = code;
    for (int& cell : cells) {
      cell = c % 3;
      c /= 3;
    }
    edgeTerm_[code] = static_cast<int16_t>(EdgeTermOfLine(cells));
  }
  for (int byte = 0; byte < 256; ++byte) {
    int code = 0;
    for (int i = 7; i >= 0; --i) code = code * 3 + ((byte >> i) & 1);
    base3_[byte] = static_cast<uint16_t>(code);
  }
}

int16_t Evaluator::Evaluate(Bits own, Bits other, int weightSet) const {
  int positional = 0;
  const WeightClass* classes = classes_[weightSet];
  for (int i = 0; i < classCount_[weightSet]; ++i)
    positional +=
        classes[i].weight * (PopCount(own & classes[i].squares) - PopCount(other & classes[i].squares));
  const Bits occupied = own | other;
  for (int k = 0; k < 4; ++k) {
    const bool taken = (occupied & cornerBit_[k]) != 0;
    const int edgeW = taken ? CornerEdgeNeighbourWeight : edgeWeight_[weightSet];
    const int diagW = taken ? CornerDiagonalNeighbourWeight : diagonalWeight_[weightSet];
    positional += edgeW * (PopCount(own & edgeNeighbours_[k]) - PopCount(other & edgeNeighbours_[k]));
    positional += diagW * (PopCount(own & diagonalNeighbour_[k]) - PopCount(other & diagonalNeighbour_[k]));
  }

  // Frontier: each disc counts its empty neighbours.
  const Bits empty = ~occupied;
  const Bits toward[8] = {ShiftE(empty),  ShiftW(empty),  ShiftN(empty),  ShiftS(empty),
                          ShiftNE(empty), ShiftNW(empty), ShiftSE(empty), ShiftSW(empty)};
  int frontier = 0;  // other - own
  for (Bits t : toward) frontier += PopCount(other & t) - PopCount(own & t);

  const int mobility = PopCount(LegalMoves(own, other)) - PopCount(LegalMoves(other, own));

  auto line = [&](unsigned ownByte, unsigned otherByte) {
    return edgeTerm_[base3_[ownByte] + 2 * base3_[otherByte]];
  };
  const int edges = line(own & 0xff, other & 0xff) + line(own >> 56, other >> 56) +
                    line(FileByte(own, 0), FileByte(other, 0)) + line(FileByte(own, 7), FileByte(other, 7));

  return static_cast<int16_t>(positional + frontier + edges + 4 * mobility);
}

}  // namespace dfx
