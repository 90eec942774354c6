#include "cpu/fast_search.h"

#include "cpu/end_game.h"

#include <cstring>

namespace dfx {
namespace {

constexpr int Infinity = ScoreInfinity;

// Insertion sort, larger keys first; lists are short.
template <class Candidate>
void SortByKey(Candidate* list, int n) {
  for (int i = 1; i < n; ++i) {
    const Candidate t = list[i];
    int j = i - 1;
    while (j >= 0 && list[j].key < t.key) {
      list[j + 1] = list[j];
      --j;
    }
    list[j + 1] = t;
  }
}

constexpr Bits CornerBits = 0x8100000000000081ULL;

constexpr Bits Quadrants[4] = {0x0f0f0f0fULL, 0xf0f0f0f0ULL, 0x0f0f0f0f00000000ULL, 0xf0f0f0f000000000ULL};

// The quadrants with an odd number of empty squares: there the mover tends to get the
// last move.
inline Bits OddQuadrants(Bits empty) {
  Bits odd = 0;
  for (const Bits q : Quadrants)
    if (PopCount(empty & q) & 1) odd |= q;
  return odd;
}

// Mobility, discs facing empty squares and corners, for the side to move.
int Shape(Bits own, Bits other) {
  const Bits empty = ~(own | other);
  const Bits around = NeighbourTable::Around(empty);
  return 16 * (PopCount(LegalMoves(own, other)) - PopCount(LegalMoves(other, own))) +
         4 * (PopCount(other & around) - PopCount(own & around)) +
         16 * (PopCount(own & CornerBits) - PopCount(other & CornerBits));
}

}  // namespace

// The bucket's entry for this node, or null.
FastSearch::Entry* FastSearch::Find(Bits own, Bits other, int ply, int passes) {
  return table_.Find(table_.Bucket(own, other), [&](const Entry& e) {
    return e.own == own && e.other == other && e.ply == ply && e.passes == passes;
  });
}

// Where to store this node: the entry nearer the leaves stands for less work.
FastSearch::Entry* FastSearch::Place(Bits own, Bits other, int ply, int passes) {
  return table_.Place(
      table_.Bucket(own, other),
      [&](const Entry& e) { return e.own == own && e.other == other && e.ply == ply && e.passes == passes; },
      [](const Entry& a, const Entry& b) { return a.ply > b.ply; });
}

int FastSearch::LeafScore(Bits mover, Bits other) {
  answer_->evalCount += 1;
  answer_->nodeCount += 1;
  if (mode_ == SearchMode::Evaluation) return evaluator_.Evaluate(mover, other, ask_->weightSet);
  return DifferenceScore(mode_, PopCount(mover) - PopCount(other));
}

// The first 31 legal moves in empty-square-list order, as a generated move list keeps them.
Bits FastSearch::RestrictToListHead(Bits moves) const {
  Bits kept = 0;
  int n = 0;
  for (int i = 1; i <= c_->emptySquares.count && n < MoveListCapacity; ++i) {
    const Bits b = Bits{1} << BitOfSquare(c_->emptySquares.entries[i].square);
    if (moves & b) {
      kept |= b;
      ++n;
    }
  }
  return kept;
}

// The children of a node, best first as far as cheap knowledge goes: the table's move, then
// by evaluation in the midgame, by a short look ahead high in an end game, and by replies,
// corners and parity near its end. Returns their number.
int FastSearch::OrderMoves(Candidate* list, Bits own, Bits other, Bits moves, int empties, int ttMove,
                           bool useTable) {
  const Bits oddQuadrants =
      mode_ != SearchMode::Evaluation && empties <= 7 ? OddQuadrants(~(own | other)) : Bits{0};
  int n = 0;
  for (Bits m = moves; m; m &= m - 1) {
    const int bit = std::countr_zero(m);
    const Bits flips = Flips(bit, own, other);
    Candidate& cand = list[n++];
    cand.own = own | flips | (Bits{1} << bit);
    cand.other = other & ~flips;
    cand.bit = static_cast<int8_t>(bit);
#if defined(__GNUC__)
    if (useTable && empties > 6)
      __builtin_prefetch(table_.Bucket(cand.other, cand.own));  // read soon, when searched
#endif
    if (bit == ttMove) {
      cand.key = 1 << 20;
    } else if (mode_ == SearchMode::Evaluation) {
      cand.key = evaluator_.Evaluate(cand.own, cand.other, ask_->weightSet);
    } else if (empties >= 12) {
      // High in the tree a bad first move costs a large subtree: look a little further.
      cand.key = -Shallow(cand.other, cand.own, empties >= 15 ? 2 : 0, -Infinity, Infinity);
    } else if (empties <= 7) {
      // Near the end the ordering must be cheap: fewest replies, then corners and parity.
      cand.key = -16 * PopCount(LegalMoves(cand.other, cand.own)) + 16 * PopCount(cand.own & CornerBits) +
                 static_cast<int>((oddQuadrants >> bit) & 1) * 4;
    } else if (empties > 5) {
      // Fewest replies first; then few own discs facing empty squares, corners held, own moves.
      const Bits empty = ~(cand.own | cand.other);
      const Bits frontier = cand.own & NeighbourTable::Around(empty);
      cand.key = -16 * PopCount(LegalMoves(cand.other, cand.own)) - 4 * PopCount(frontier) +
                 16 * PopCount(cand.own & CornerBits) + 4 * PopCount(LegalMoves(cand.own, cand.other));
    } else {
      cand.key = 0;
    }
  }
  SortByKey(list, n);
  return n;
}

int FastSearch::Node(Bits own, Bits other, int ply, int passes, int discs, int alpha, int beta) {
  const int depthLimit = c_->depthLimit;
  answer_->nodeCount += 1;
  Bits moves = LegalMoves(own, other);
  if (!moves) {
    if (ply == depthLimit || passes + 1 == 2) return LeafScore(own, other);
    return -Node(other, own, ply + 1, passes + 1, discs, -beta, -alpha);
  }
  if (ply < c_->sortedPlies && PopCount(moves) > MoveListCapacity) moves = RestrictToListHead(moves);

  const bool leafChildren = ply == depthLimit || discs + 1 == 64;
  if (leafChildren) {
    int best = -Infinity;
    for (Bits m = moves; m; m &= m - 1) {
      const int bit = std::countr_zero(m);
      const Bits flips = Flips(bit, own, other);
      const int v = LeafScore(own | flips | (Bits{1} << bit), other & ~flips);
      if (discs + 1 == 64) answer_->fullBoardCount += 1;
      if (v > best) {
        best = v;
        if (best >= beta) break;
      }
    }
    return best;
  }

  const int empties = 64 - discs;
  if (mode_ == SearchMode::WinLossDraw) {
    // Win, draw and loss are 1, 0 and -1: a window beyond them is already decided, and
    // bounds past them say no more than the extremes themselves.
    if (alpha >= 1) return 1;
    if (beta <= -1) return -1;
    if (alpha < -1) alpha = -1;
    if (beta > 1) beta = 1;
  } else if (mode_ == SearchMode::Exact) {
    if (alpha < -MaxDiscDifference) alpha = -MaxDiscDifference;
    if (beta > MaxDiscDifference) beta = MaxDiscDifference;
  }
  // The last few squares of an end game, when the depth limit cannot be reached there.
  if (mode_ != SearchMode::Evaluation && empties <= 6) {
    // Squares in odd quadrants first.
    int8_t squares[8];
    int n = 0;
    const Bits empty = ~(own | other);
    const Bits odd = OddQuadrants(empty);
    for (Bits e = empty & odd; e; e &= e - 1) squares[n++] = static_cast<int8_t>(std::countr_zero(e));
    for (Bits e = empty & ~odd; e; e &= e - 1) squares[n++] = static_cast<int8_t>(std::countr_zero(e));
    if (mode_ == SearchMode::WinLossDraw)
      return EndGameTail<SearchMode::WinLossDraw, false>(*answer_, depthLimit)
          .Solve(own, other, ply, passes, alpha, beta, squares, n);
    return EndGameTail<SearchMode::Exact, false>(*answer_, depthLimit)
        .Solve(own, other, ply, passes, alpha, beta, squares, n);
  }
  const bool useTable = mode_ == SearchMode::Evaluation ? depthLimit - ply >= 2 : empties >= 6;
  int ttMove = -1;
  if (useTable) {
    if (const Entry* entry = Find(own, other, ply, passes)) {
      if (entry->lower >= beta) return entry->lower;
      if (entry->upper <= alpha) return entry->upper;
      if (entry->lower == entry->upper) return entry->lower;
      if (entry->lower > alpha) alpha = entry->lower;
      if (entry->upper < beta) beta = entry->upper;
      ttMove = entry->move;
    }
  }

  Candidate list[64];
  const int n = OrderMoves(list, own, other, moves, empties, ttMove, useTable);

  // A child whose stored bound already refutes this window ends the node before any search.
  if (useTable && empties >= 8) {
    for (int i = 0; i < n; ++i) {
      const Entry* e = Find(list[i].other, list[i].own, ply + 1, 0);
      if (e && -e->upper >= beta) return -e->upper;
    }
  }

  const int alphaIn = alpha;
  int best = -Infinity;
  int bestBit = -1;
  for (int i = 0; i < n; ++i) {
    const Candidate& cand = list[i];
    int v;
    if (i == 0) {
      v = -Node(cand.other, cand.own, ply + 1, 0, discs + 1, -beta, -alpha);
    } else {
      v = -Node(cand.other, cand.own, ply + 1, 0, discs + 1, -alpha - 1, -alpha);
      // The probe's value is a lower bound: the re-search only has to look above it.
      if (v > alpha && v < beta) v = -Node(cand.other, cand.own, ply + 1, 0, discs + 1, -beta, -v);
    }
    if (v > best) {
      best = v;
      bestBit = cand.bit;
      if (best > alpha) alpha = best;
      if (best >= beta) break;
    }
  }

  if (useTable) {
    Entry* entry = Place(own, other, ply, passes);
    entry->own = own;
    entry->other = other;
    entry->ply = static_cast<uint8_t>(ply);
    entry->passes = static_cast<uint8_t>(passes);
    entry->generation = table_.Generation();
    entry->move = static_cast<int8_t>(bestBit);
    entry->lower = static_cast<Score>(best > alphaIn ? best : -Infinity);
    entry->upper = static_cast<Score>(best < beta ? best : Infinity);
  }
  return best;
}

// A rough look ahead for move ordering in the end game: shape and static evaluation a few
// plies on, with finished games far beyond both.
int FastSearch::Shallow(Bits own, Bits other, int depth, int alpha, int beta) {
  if (depth == 0) return Shape(own, other) + evaluator_.Evaluate(own, other, ask_->weightSet) / 2;
  Bits moves = LegalMoves(own, other);
  if (!moves) {
    if (!LegalMoves(other, own)) {
      const int d = PopCount(own) - PopCount(other);
      return d > 0 ? 10000 + d : d < 0 ? -10000 + d : 0;
    }
    return -Shallow(other, own, depth - 1, -beta, -alpha);
  }
  int best = -Infinity;
  for (; moves; moves &= moves - 1) {
    const int bit = std::countr_zero(moves);
    const Bits flips = Flips(bit, own, other);
    const int v = -Shallow(other & ~flips, own | flips | (Bits{1} << bit), depth - 1, -beta,
                           -(alpha > best ? alpha : best));
    if (v > best) {
      best = v;
      if (best >= beta) break;
    }
  }
  return best;
}

void FastSearch::MainSearch(const SearchRequest& request, SearchAnswer& answer, SearchScratch& context,
                            int rootDiscs) {
  ask_ = &request;
  answer_ = &answer;
  c_ = &context;
  mode_ = request.mode;
  const SearchMode mode = request.mode;
  table_.NextGeneration();
  context.StartMainSearch(request);

  PlyRecord& record = context.plyRecord[0];
  record.bestScore = NoScore;
  MoveList& root = context.moveList[0];
  const Bits own = context.discs[context.side];
  const Bits other = context.discs[opponentOf[context.side]];
  for (int i = 0; i < root.count; ++i) {
    const int square = root.entries[i].square;
    const int bit = BitOfSquare(square);
    const Bits flips = Flips(bit, own, other);
    const Bits childOwn = own | flips | (Bits{1} << bit);
    const Bits childOther = other & ~flips;
    int v;
    if (context.depthLimit == 0 || rootDiscs + 1 == 64) {
      v = LeafScore(childOwn, childOther);
      if (rootDiscs + 1 == 64) answer.fullBoardCount += 1;
    } else if (record.bestScore == NoScore) {
      v = -Node(childOther, childOwn, 1, 0, rootDiscs + 1, -Infinity, Infinity);
    } else {
      // Only a strictly better move matters: test that first with a null window.
      const int best = record.bestScore;
      v = -Node(childOther, childOwn, 1, 0, rootDiscs + 1, -best - 1, -best);
      if (v > best) v = -Node(childOther, childOwn, 1, 0, rootDiscs + 1, -Infinity, -best);
    }
    if (record.bestScore < v) {
      record.bestScore = static_cast<int16_t>(v);
      record.bestMove = static_cast<int16_t>(square);
    }
    root.entries[i].orderValue = record.bestScore;
    if (request.progress) request.progress->Mark(context.progressGlyph);
    if (mode == SearchMode::WinLossDraw && record.bestScore == 1) break;
  }
}

}  // namespace dfx
