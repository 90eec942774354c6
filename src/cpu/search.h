// The game-tree search that chooses the computer's move: negamax with a one-level cut-off,
// move lists ordered by evaluation or opponent mobility near the root and by a fixed square
// priority below, a shallow pre-search, and progress marks per root move. All its stacks
// are fixed tables in SearchContext; it works on bitboards and never changes the Board.
#pragma once
#include <cstdint>

#include "cpu/bitboard.h"
#include "cpu/bucket_table.h"
#include "cpu/evaluation.h"

namespace dfx {

// Receives the progress marks the search prints under the side panel.
class SearchProgress {
 public:
  virtual ~SearchProgress() = default;
  // Text cursor to column 9, line 1 (before the pre-search and before the main search).
  virtual void StartMarks() = 0;
  // Print character `code` (2 during the pre-search, 3 during the main search), wrap column 9.
  virtual void Mark(uint8_t code) = 0;
};

struct PlyRecord {
  int16_t bestMove;  // square index; 0 means a pass
  Score bestScore;
};

struct MoveEntry {
  int16_t square;
  Score orderValue;
};

struct MoveList {
  int16_t count;
  MoveEntry entries[MoveListCapacity];
};

struct EmptySquareEntry {
  int16_t square;
  int16_t priority;
};

struct EmptySquareList {
  int16_t count;
  EmptySquareEntry entries[65];  // numbered from 1; a start position may leave all 64 empty
};

// What a search is asked.
struct SearchRequest {
  Cell side = White;
  int level = 0;  // 0..LevelS
  int weightSet = 0;
  int nominalDepth = 0;
  SearchMode mode = SearchMode::Evaluation;
  SearchProgress* progress = nullptr;
};

// What a search answers, beyond the root's record and move list in its scratch.
struct SearchAnswer {
  uint32_t evalCount = 0;
  uint32_t preSearchCount = 0;
  uint32_t fullBoardCount = 0;
  uint64_t nodeCount = 0;  // positions reached by a move or a pass, for speed figures
};

// The search's own working state: fixed tables, kept between searches (a root with fewer
// than two moves leaves the last best score standing).
struct SearchScratch {
  Cell side = White;  // the side to move at the current ply
  int16_t ply = 0;
  int16_t depthLimit = 0;
  int16_t nominalDepth = 0;  // as asked, then after the pre-search rule
  int16_t sortedPlies = 3;
  int16_t pruneEnabled = 0;
  SearchMode searchMode = SearchMode::Evaluation;  // the pre-search's, then the one asked
  uint8_t progressGlyph = 3;
  int16_t ownCount = 0, otherCount = 0;
  Score score = 0;

  PlyRecord plyRecord[MaxPly + 1] = {};
  MoveList moveList[MaxPly + 1] = {};
  EmptySquareList emptySquares = {};

  // The position: discs[White], discs[Black]; one saved copy per ply.
  Bits discs[3] = {};
  Bits saved[MaxPly + 1][3] = {};

  // The main search's settings, as both searches start it, and the start of its row of marks.
  void StartMainSearch(const SearchRequest& request) {
    searchMode = request.mode;
    if (request.progress) request.progress->StartMarks();
    ply = 0;
    depthLimit = nominalDepth;
    pruneEnabled = 1;
    progressGlyph = 3;
  }
};

// Results of whole subtrees of the literal search. A node's outcome (its best score and the
// counts of scorings and full boards beneath it) depends only on its position, ply, passes
// and the parent's best score it is cut against, so a subtree met again is not walked again:
// its outcome is replayed, which leaves every count as if it had been.
struct SubtreeOutcome {
  static constexpr int Breaks = 4;
  Bits own, other;
  // The first rises of the node's best score, each with the counts up to that child.
  Score best[Breaks];
  uint32_t evalCount[Breaks], fullBoardCount[Breaks];
  // The whole node, when it was walked to its last child.
  uint32_t endEvalCount, endFullBoardCount;
  Score endBest;
  uint8_t plyAndPasses, generation, count;
  bool complete, truncated;
};
using SubtreeMemo = BucketTable<SubtreeOutcome, 18>;

// The game's own search, node for node: every count it keeps is the one the screen shows.
class LiteralSearch {
 public:
  LiteralSearch(const SearchRequest& request, SearchAnswer& answer, SearchScratch& scratch,
                const WeightTables& tables, const Evaluator& evaluator, SubtreeMemo* memo = nullptr)
      : ask_(request), answer_(answer), c_(scratch), tables_(tables), evaluator_(evaluator), memo_(memo) {}

  // Loads the position and the request and prepares the root: empty-square list, root moves
  // sorted by evaluation, disc count. Returns the number of root moves.
  int PrepareRoot(const Board& board);
  // The shallow pre-search (only when nominalDepth > 5) and its depth rule.
  void PreSearch();
  // The main search at depthLimit = nominalDepth.
  void MainSearch();
  // PrepareRoot, then (with two moves or more) pre-search and main search.
  void SearchRoot(const Board& board);

  int rootDiscs() const { return rootDiscs_; }

  // Scoring routines, for the side to move in the scratch.
  void Evaluate();
  void DiscScore();
  void OpponentMobilityScore();

 private:
  // The rises of a node's best score while it is walked, with the counts up to each.
  struct NodeTrace {
    static constexpr int Capacity = SubtreeOutcome::Breaks;
    Score best[Capacity];
    uint32_t evalCount[Capacity], fullBoardCount[Capacity];
    uint32_t evalAtStart, fullAtStart;
    uint8_t count;
    bool complete, truncated;

    void Start(uint32_t evalCount, uint32_t fullBoardCount) {
      count = 0;
      truncated = false;
      complete = true;
      evalAtStart = evalCount;
      fullAtStart = fullBoardCount;
    }
    void Rise(Score bestScore, uint32_t evalNow, uint32_t fullNow) {
      if (count == Capacity) {
        truncated = true;
        return;
      }
      best[count] = bestScore;
      evalCount[count] = evalNow - evalAtStart;
      fullBoardCount[count] = fullNow - fullAtStart;
      count += 1;
    }
  };

  void BuildEmptySquareList();
  void SortMovesDescending();
  void GenerateMoves(bool byMobility);
  void SearchNode(int passes, int discs);
  void SearchChild(int passes, int discs);
  bool Memoised(int ply, int discs) const;
  bool Replay(SubtreeOutcome* bucket, Bits own, Bits other, uint8_t plyAndPasses, int cutAt, Score* best);
  void Store(SubtreeOutcome* bucket, Bits own, Bits other, uint8_t plyAndPasses, const NodeTrace& trace,
             Score best);
  int Walk(Bits own, Bits other, int ply, int passes, int discs, int cutAt, const int8_t* squares, int n);
  int TailScore(Bits own, Bits other);
  void VisitChild(int move, int passes, int discs);
  void PrefetchChild(int square, int childDiscs);
  SubtreeOutcome* ChildBucket(Bits own, Bits other, int bit, Bits flips, int childPly);
  static void Prefetch(const SubtreeOutcome* bucket);
  void Play(int square);
  void SaveBoard(int slot);
  void RestoreBoard(int slot);

  const SearchRequest& ask_;
  SearchAnswer& answer_;
  SearchScratch& c_;
  const WeightTables& tables_;
  const Evaluator& evaluator_;
  SubtreeMemo* memo_;
  bool memoActive_ = false;
  NodeTrace traces_[MaxPly + 1];
  int bitOfRank_[65];  // the empty-square list as bits
  int rootDiscs_ = 0;
};

}  // namespace dfx
