#include "cpu/fast_search.h"

#include <cstring>

namespace dfx {
namespace {

constexpr int Infinity = 32000;

struct Candidate {
  Bits own, other;
  int key;
  int8_t bit;
};

// Insertion sort, larger keys first; lists are short.
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

}  // namespace

FastSearch::FastSearch(const Evaluator& evaluator) : evaluator_(evaluator) {
  std::memset(static_cast<void*>(table_), 0, sizeof table_);
}

FastSearch::Entry& FastSearch::Slot(Bits own, Bits other) {
  Bits h = own * 0x9E3779B97F4A7C15ULL ^ (other + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
  h ^= h >> 31;
  return table_[h >> (64 - TableBits)];
}

int FastSearch::LeafScore(Bits mover, Bits other) {
  c_->evalCount += 1;
  c_->nodeCount += 1;
  if (mode_ == 0) return evaluator_.Evaluate(mover, other, c_->weightSet);
  const int d = PopCount(mover) - PopCount(other);
  return mode_ == 1 ? (d > 0) - (d < 0) : d;
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

int FastSearch::Node(Bits own, Bits other, int ply, int passes, int discs, int alpha, int beta) {
  const int depthLimit = c_->depthLimit;
  c_->nodeCount += 1;
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
      if (discs + 1 == 64) c_->fullBoardCount += 1;
      if (v > best) {
        best = v;
        if (best >= beta) break;
      }
    }
    return best;
  }

  const int empties = 64 - discs;
  const bool useTable = mode_ == 0 ? depthLimit - ply >= 2 : empties >= 7;
  int ttMove = -1;
  Entry* entry = nullptr;
  if (useTable) {
    entry = &Slot(own, other);
    if (entry->generation == generation_ && entry->own == own && entry->other == other && entry->ply == ply &&
        entry->passes == passes) {
      if (entry->lower >= beta) return entry->lower;
      if (entry->upper <= alpha) return entry->upper;
      if (entry->lower == entry->upper) return entry->lower;
      if (entry->lower > alpha) alpha = entry->lower;
      if (entry->upper < beta) beta = entry->upper;
      ttMove = entry->move;
    }
  }

  Candidate list[64];
  int n = 0;
  for (Bits m = moves; m; m &= m - 1) {
    const int bit = std::countr_zero(m);
    const Bits flips = Flips(bit, own, other);
    Candidate& cand = list[n++];
    cand.own = own | flips | (Bits{1} << bit);
    cand.other = other & ~flips;
    cand.bit = static_cast<int8_t>(bit);
    if (bit == ttMove) {
      cand.key = 1 << 20;
    } else if (mode_ == 0) {
      cand.key = evaluator_.Evaluate(cand.own, cand.other, c_->weightSet);
    } else if (empties > 8) {
      // Fewest replies first, corners before the rest.
      cand.key = -16 * PopCount(LegalMoves(cand.other, cand.own)) + ((Bits{1} << bit) & CornerBits ? 24 : 0);
    } else {
      cand.key = 0;
    }
  }
  SortByKey(list, n);

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
      if (v > alpha && v < beta) v = -Node(cand.other, cand.own, ply + 1, 0, discs + 1, -beta, -alpha);
    }
    if (v > best) {
      best = v;
      bestBit = cand.bit;
      if (best > alpha) alpha = best;
      if (best >= beta) break;
    }
  }

  if (entry) {
    entry->own = own;
    entry->other = other;
    entry->ply = static_cast<uint8_t>(ply);
    entry->passes = static_cast<uint8_t>(passes);
    entry->generation = generation_;
    entry->move = static_cast<int8_t>(bestBit);
    entry->lower = static_cast<int16_t>(best > alphaIn ? best : -Infinity);
    entry->upper = static_cast<int16_t>(best < beta ? best : Infinity);
  }
  return best;
}

void FastSearch::MainSearch(SearchContext& context, int mode, int rootDiscs) {
  c_ = &context;
  mode_ = mode;
  if (++generation_ == 0) {
    std::memset(static_cast<void*>(table_), 0, sizeof table_);
    generation_ = 1;
  }
  context.searchMode = static_cast<int16_t>(mode);
  if (context.progress) context.progress->StartMarks();
  context.ply = 0;
  context.depthLimit = context.nominalDepth;
  context.pruneEnabled = 1;
  context.progressGlyph = 3;

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
      if (rootDiscs + 1 == 64) context.fullBoardCount += 1;
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
    if (context.progress) context.progress->Mark(context.progressGlyph);
    if (mode == 1 && record.bestScore == 1) break;
  }
}

}  // namespace dfx
