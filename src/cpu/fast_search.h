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
  explicit FastSearch(const Evaluator& evaluator) : evaluator_(evaluator) {}

  // Main search after LiteralSearch::PrepareRoot and PreSearch have set up the scratch
  // (root list in its final order, nominalDepth, sortedPlies, discs). Writes the root's
  // PlyRecord and orderValues, prints the marks and counts evalCount / fullBoardCount.
  void MainSearch(const SearchRequest& request, SearchAnswer& answer, SearchScratch& scratch, int rootDiscs);

  // Transposition-table size in entries (a power of two).
  static constexpr int TableBits = 16;

 private:
  // 32 bytes, so that a bucket of two fills one cache line.
  struct Entry {
    Bits own, other;
    Score lower, upper;
    uint8_t ply, passes, generation;
    int8_t move;  // best move's bit, -1 when none
    uint64_t unused;
  };
  static_assert(sizeof(Entry) == 32);

  // A child of a node: its position from the mover's side and its ordering key.
  struct Candidate {
    Bits own, other;
    int key;
    int8_t bit;
  };

  int Node(Bits own, Bits other, int ply, int passes, int discs, int alpha, int beta);
  int OrderMoves(Candidate* list, Bits own, Bits other, Bits moves, int empties, int ttMove, bool useTable);
  int LeafScore(Bits mover, Bits other);
  int Shallow(Bits own, Bits other, int depth, int alpha, int beta);
  Entry* Find(Bits own, Bits other, int ply, int passes);
  Entry* Place(Bits own, Bits other, int ply, int passes);
  Bits RestrictToListHead(Bits moves) const;

  const Evaluator& evaluator_;
  const SearchRequest* ask_ = nullptr;
  SearchAnswer* answer_ = nullptr;
  SearchScratch* c_ = nullptr;
  SearchMode mode_ = SearchMode::Evaluation;
  BucketTable<Entry, TableBits> table_;
};

}  // namespace dfx
