// The fast search for level S: the same tree as the literal search (same depth limit in
// plies, passes consuming a ply, the same leaf scores), solved with alpha-beta and null
// windows, a transposition table and cheap move ordering. The root walks its moves in the
// literal order and takes a later move only when strictly better, so the chosen move,
// score and marks are those of the literal search.
#pragma once
#include <cstdint>

#include "cpu/search.h"

namespace dfx {

class FastSearch {
 public:
  // Expects zeroed memory for its table (see ComputerPlayer), so that pages are only
  // taken from the system as they are first used.
  explicit FastSearch(const Evaluator& evaluator);

  // Main search after LiteralSearch::PrepareRoot and PreSearch have set up the context
  // (root list in its final order, nominalDepth, sortedPlies, discs). Writes the root's
  // PlyRecord and orderValues, prints the marks and counts evalCount / fullBoardCount.
  void MainSearch(SearchContext& context, SearchMode mode, int rootDiscs);

  // Transposition-table size in entries (a power of two).
  static constexpr int TableBits = 16;

 private:
  // 32 bytes, so that a bucket of two fills one cache line.
  struct Entry {
    Bits own, other;
    int16_t lower, upper;
    uint8_t ply, passes, generation;
    int8_t move;  // best move's bit, -1 when none
    uint64_t unused;
  };

  // A child of a node: its position from the mover's side and its ordering key.
  struct Candidate {
    Bits own, other;
    int key;
    int8_t bit;
  };

  int Node(Bits own, Bits other, int ply, int passes, int discs, int alpha, int beta);
  int OrderMoves(Candidate* list, Bits own, Bits other, Bits moves, int empties, int ttMove, bool useTable);
  int LeafScore(Bits mover, Bits other);
  int FullBoardScore(int discs);
  int Shallow(Bits own, Bits other, int depth, int alpha, int beta);
  int LastSquare(Bits own, Bits other, bool leaves, int passes, int bit);
  template <int N>
  int Small(Bits own, Bits other, int ply, int passes, int alpha, int beta, const int8_t* squares);
  Entry& Slot(Bits own, Bits other);
  Entry* Find(Bits own, Bits other, int ply, int passes);
  Entry* Place(Bits own, Bits other, int ply, int passes);
  Bits RestrictToListHead(Bits moves) const;

  const Evaluator& evaluator_;
  SearchContext* c_ = nullptr;
  SearchMode mode_ = SearchMode::Evaluation;
  uint8_t generation_ = 0;
  Bits neighbours_[64];
  Entry* table_;  // in tableStorage_, from its first cache-line boundary
  alignas(Entry) unsigned char tableStorage_[(sizeof(Entry) << TableBits) + 64];
};

}  // namespace dfx
