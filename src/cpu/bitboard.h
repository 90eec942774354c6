// The search's own view of a position: one 64-bit set per colour, bit (y-1)*8 + (x-1)
// for the square in column x and row y. Move generation, flips and the mapping to and
// from the 91-cell board's square indices.
#pragma once
#include <bit>
#include <cstdint>

#include "cpu/types.h"
#include "rules/board.h"

namespace dfx {

using Bits = uint64_t;

constexpr Bits NotFileA = 0xfefefefefefefefeULL;  // every column but x = 1
constexpr Bits NotFileH = 0x7f7f7f7f7f7f7f7fULL;  // every column but x = 8

constexpr int BitOfSquare(int square) { return (square / 9 - 1) * 8 + (square % 9 - 1); }
constexpr int SquareOfBit(int bit) { return (bit / 8 + 1) * 9 + bit % 8 + 1; }
constexpr bool IsSquare(int index) { return index >= FirstSquare && index <= LastSquare && index % 9 != 0; }

inline int PopCount(Bits b) { return std::popcount(b); }

// One step in each of the eight directions, dropping what falls off the board.
constexpr Bits ShiftE(Bits b) { return (b << 1) & NotFileA; }
constexpr Bits ShiftW(Bits b) { return (b >> 1) & NotFileH; }
constexpr Bits ShiftS(Bits b) { return b << 8; }
constexpr Bits ShiftN(Bits b) { return b >> 8; }
constexpr Bits ShiftSE(Bits b) { return (b << 9) & NotFileA; }
constexpr Bits ShiftSW(Bits b) { return (b << 7) & NotFileH; }
constexpr Bits ShiftNE(Bits b) { return (b >> 7) & NotFileA; }
constexpr Bits ShiftNW(Bits b) { return (b >> 9) & NotFileH; }

// b shifted by S bits towards the higher ones (S > 0) or the lower ones (S < 0).
template <int S>
constexpr Bits Shifted(Bits b) {
  if constexpr (S > 0)
    return b << S;
  else
    return b >> -S;
}

// Where the runs of `mask` that start next to `own` end, one step along direction S: the
// runs are doubled instead of stepped, four shifts rather than six.
template <int S>
inline Bits RunEnds(Bits own, Bits mask) {
  const Bits pairs = mask & Shifted<S>(mask);
  Bits t = mask & Shifted<S>(own);
  t |= mask & Shifted<S>(t);
  t |= pairs & Shifted<2 * S>(t);
  t |= pairs & Shifted<2 * S>(t);
  return Shifted<S>(t);
}

// Squares on which the owner of `own` may play against `other`.
inline Bits LegalMoves(Bits own, Bits other) {
  const Bits h = other & NotFileA & NotFileH;  // runs that cross a side edge never capture
  const Bits ends = RunEnds<1>(own, h) | RunEnds<-1>(own, h) | RunEnds<7>(own, h) | RunEnds<-7>(own, h) |
                    RunEnds<9>(own, h) | RunEnds<-9>(own, h) | RunEnds<8>(own, other) |
                    RunEnds<-8>(own, other);
  return ends & ~(own | other);
}

// The squares next to each square: a square with no opponent's disc there has no move.
struct NeighbourTable {
  Bits of[64];
  constexpr NeighbourTable() : of{} {
    for (int bit = 0; bit < 64; ++bit) of[bit] = Around(Bits{1} << bit);
  }
  static constexpr Bits Around(Bits b) {
    return ShiftE(b) | ShiftW(b) | ShiftN(b) | ShiftS(b) | ShiftNE(b) | ShiftNW(b) | ShiftSE(b) | ShiftSW(b);
  }
};
inline constexpr NeighbourTable neighbourTable{};

// For each square, the squares beyond it in each direction: the first four directions run
// towards higher bits (E, SW, S, SE), the last four towards lower bits (W, NE, N, NW).
struct RayTable {
  Bits ray[64][8];
  constexpr RayTable() : ray{} {
    const int dx[8] = {1, -1, 0, 1, -1, 1, 0, -1};
    const int dy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    for (int bit = 0; bit < 64; ++bit)
      for (int d = 0; d < 8; ++d) {
        int x = bit % 8 + dx[d], y = bit / 8 + dy[d];
        for (; x >= 0 && x < 8 && y >= 0 && y < 8; x += dx[d], y += dy[d])
          ray[bit][d] |= Bits{1} << (y * 8 + x);
      }
  }
};
inline constexpr RayTable rayTable{};

// Discs of `other` that playing `bit` captures for the owner of `own` (0 if none): along
// each ray the nearest square that is not `other` must be `own`. Branch-free: whether a
// ray captures is as good as random, and a mispredicted branch costs more than the sums.
inline Bits Flips(int bit, Bits own, Bits other) {
  const Bits* ray = rayTable.ray[bit];
  Bits flips = 0;
  for (int d = 0; d < 4; ++d) {
    const Bits stop = ray[d] & ~other;
    const Bits outflank = stop & (0 - stop) & own;
    flips |= ray[d] & (outflank - static_cast<Bits>(outflank != 0));
  }
  for (int d = 4; d < 8; ++d) {
    // The highest stop; with none, bit 0, which is then either off the ray or `other`.
    const Bits stop = ray[d] & ~other;
    const Bits outflank = (Bits{1} << (std::bit_width(stop | 1) - 1)) & own & ray[d];
    flips |= ray[d] & (0 - (outflank << 1));
  }
  return flips;
}

// Counting the flips of a move on the last empty square, where every other square is taken:
// the four lines through it are read as bytes (bit = position along the line, 1 = own,
// 0 = other or off the line) and each byte's flips come from a table.
struct LastFlipTable {
  uint8_t count[8][256];  // [position on the line][line byte]
  Bits diagonal[64], antiDiagonal[64];
  constexpr LastFlipTable() : count{}, diagonal{}, antiDiagonal{} {
    for (int pos = 0; pos < 8; ++pos)
      for (int line = 0; line < 256; ++line) {
        int n = 0;
        for (int step = -1; step <= 1; step += 2) {
          int k = pos + step, run = 0;
          for (; k >= 0 && k < 8 && !(line >> k & 1); k += step) ++run;
          if (k >= 0 && k < 8) n += run;
        }
        count[pos][line] = static_cast<uint8_t>(n);
      }
    for (int bit = 0; bit < 64; ++bit) {
      diagonal[bit] = rayTable.ray[bit][3] | rayTable.ray[bit][7];      // SE and NW
      antiDiagonal[bit] = rayTable.ray[bit][1] | rayTable.ray[bit][5];  // SW and NE
    }
  }
};
inline constexpr LastFlipTable lastFlipTable{};

// How many discs playing `bit` captures for the owner of `own` when `bit` is the only empty
// square (so the opponent holds every square that is neither).
inline int LastFlipCount(int bit, Bits own) {
  constexpr Bits FileA = 0x0101010101010101ULL;
  const int x = bit & 7, y = bit >> 3;
  const auto& count = lastFlipTable.count;
  const unsigned row = static_cast<unsigned>(own >> (y * 8)) & 0xff;
  const unsigned column = static_cast<unsigned>((((own >> x) & FileA) * 0x0102040810204080ULL) >> 56);
  const unsigned diagonal = static_cast<unsigned>(((own & lastFlipTable.diagonal[bit]) * FileA) >> 56);
  const unsigned antiDiagonal =
      static_cast<unsigned>(((own & lastFlipTable.antiDiagonal[bit]) * FileA) >> 56);
  return count[x][row] + count[y][column] + count[x][diagonal] + count[x][antiDiagonal];
}

// A disc difference as the mode scores it: its sign alone for win/loss/draw.
template <SearchMode Mode>
constexpr int DifferenceScore(int difference) {
  if constexpr (Mode == SearchMode::WinLossDraw) return (difference > 0) - (difference < 0);
  return difference;
}
constexpr int DifferenceScore(SearchMode mode, int difference) {
  return mode == SearchMode::WinLossDraw ? DifferenceScore<SearchMode::WinLossDraw>(difference) : difference;
}

// How a game with one empty square, `bit`, ends: the mover fills it, or else (unless the
// turn stops at the mover's pass) the opponent does, or nobody can. Flips are counted, not made.
struct LastSquareEnd {
  int score;  // from the mover's side
  int turns;  // 1, or 2 when the opponent had a turn after the mover's pass
  bool full;  // the board was filled
};
template <SearchMode Mode>
inline LastSquareEnd PlayLastSquare(Bits own, Bits other, int bit, bool stopAtPass) {
  const int ownCount = PopCount(own), otherCount = PopCount(other);
  if (const int n = LastFlipCount(bit, own))
    return {DifferenceScore<Mode>(2 * (ownCount + n + 1) - 64), 1, true};
  if (stopAtPass) return {DifferenceScore<Mode>(ownCount - otherCount), 1, false};
  if (const int n = LastFlipCount(bit, other))
    return {-DifferenceScore<Mode>(2 * (otherCount + n + 1) - 64), 2, true};
  return {-DifferenceScore<Mode>(otherCount - ownCount), 2, false};
}

// The discs of one colour on a mailbox board.
inline Bits DiscsOf(const Board& board, Cell colour) {
  Bits b = 0;
  for (int bit = 0; bit < 64; ++bit)
    if (board.cells[SquareOfBit(bit)] == colour) b |= Bits{1} << bit;
  return b;
}

}  // namespace dfx
