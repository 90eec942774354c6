// The last few empty squares of an end game, where the depth limit cannot cut the tree
// short: both searches solve them here, without tables or ordering.
#pragma once
#include <cstdint>

#include "cpu/search.h"

namespace dfx {

// The literal search counts a node for every move or pass made and cuts a node only against
// its parent's best, as its figures must stay those of the step-by-step game; the fast search
// counts every node it enters and cuts against the whole window.
template <SearchMode Mode, bool Literal>
class EndGameTail {
 public:
  EndGameTail(SearchAnswer& answer, int depthLimit) : answer_(answer), depthLimit_(depthLimit) {}

  // The score of a node with the n (1..6) empty `squares`, for the side holding `own`.
  int Solve(Bits own, Bits other, int ply, int passes, int alpha, int beta, const int8_t* squares, int n) {
    switch (n) {
      case 1: return Last(own, other, ply, passes, squares[0]);
      case 2: return Small<2>(own, other, ply, passes, alpha, beta, squares);
      case 3: return Small<3>(own, other, ply, passes, alpha, beta, squares);
      case 4: return Small<4>(own, other, ply, passes, alpha, beta, squares);
      case 5: return Small<5>(own, other, ply, passes, alpha, beta, squares);
      default: return Small<6>(own, other, ply, passes, alpha, beta, squares);
    }
  }

 private:
  static constexpr int Enter = Literal ? 0 : 1;  // nodes counted on entering a node
  static constexpr int Step = Literal ? 1 : 0;   // nodes counted per move or pass made

#if defined(__GNUC__)
  __attribute__((always_inline))
#endif
  int Last(Bits own, Bits other, int ply, int passes, int bit) {
    const LastSquareEnd end = PlayLastSquare<Mode>(own, other, bit, ply == depthLimit_ || passes == 1);
    answer_.evalCount += 1;
    answer_.nodeCount += static_cast<uint64_t>(end.turns + Enter);
    answer_.fullBoardCount += end.full;
    return end.score;
  }

  int Leaf(Bits own, Bits other) {
    answer_.evalCount += 1;
    answer_.nodeCount += Enter;
    return DifferenceScore<Mode>(PopCount(own) - PopCount(other));
  }

  template <int N>
  int Small(Bits own, Bits other, int ply, int passes, int alpha, int beta, const int8_t* squares) {
    answer_.nodeCount += Enter;
    const bool leaves = ply == depthLimit_;
    int best = -ScoreInfinity;
    bool moved = false;
    for (int i = 0; i < N; ++i) {
      const int bit = squares[i];
      if (!(neighbourTable.of[bit] & other)) continue;
      const Bits flips = Flips(bit, own, other);
      if (!flips) continue;
      moved = true;
      answer_.nodeCount += Step;
      const Bits newOwn = own | flips | (Bits{1} << bit), newOther = other & ~flips;
      int v;
      if (leaves) {
        v = Leaf(newOwn, newOther);
      } else if constexpr (N == 2) {
        v = -Last(newOther, newOwn, ply + 1, 0, squares[1 - i]);
      } else {
        int8_t rest[N - 1];
        for (int k = 0, j = 0; k < N; ++k)
          if (k != i) rest[j++] = squares[k];
        v = -Small<N - 1>(newOther, newOwn, ply + 1, 0, Literal ? NoScore : -beta,
                          -(alpha > best ? alpha : best), rest);
      }
      if (v > best) {
        best = v;
        if (best >= beta) return best;
      }
    }
    if (moved) return best;
    answer_.nodeCount += Step;
    if (leaves || passes == 1) return Leaf(own, other);
    if constexpr (Literal) return -Small<N>(other, own, ply + 1, 1, NoScore, -NoScore, squares);
    return -Small<N>(other, own, ply + 1, 1, -beta, -alpha, squares);
  }

  SearchAnswer& answer_;
  const int depthLimit_;
};

}  // namespace dfx
