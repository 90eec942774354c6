// The computer player: every table of the engine (weights, level table, opening book,
// search stacks) in one object, and the decision of the computer's move — book first,
// otherwise a search whose kind and depth come from the level table and the disc count.
// The object is large (fixed tables); give the program one static instance, tests one each
// on the heap. Nothing is allocated while it decides.
#pragma once
#include <cstdint>

#include "cpu/evaluation.h"
#include "cpu/opening_book.h"
#include "cpu/search.h"
#include "cpu/types.h"
#include "rules/board.h"

namespace dfx {

struct LevelRow {
  int16_t midgameDepth;
  int16_t endSearchFrom;    // discs from which the search runs to the end (win/loss/draw)
  int16_t exactSearchFrom;  // discs from which it runs for the exact disc difference
};
inline constexpr LevelRow levelTable[LevelCount] = {
    {0, 64, 64}, {1, 64, 64}, {2, 56, 58}, {3, 51, 54}, {6, 46, 49}};

// What the level table chooses for a board.
struct SearchPlan {
  int discs = 0;
  int weightSet = 0;
  int nominalDepth = 0;
  SearchMode mode = SearchMode::Evaluation;
};

struct ComputerMove {
  bool pass = false;     // no legal move: the caller counts the pass
  bool bookHit = false;  // the move comes from the opening book
  int moveNumber = 0;    // the number of this move in the game (a pass counts)
  int square = 0;        // y*9 + x of the chosen move (0 on a pass)
  int x = 0, y = 0;
  int bookLine = 0;     // line number shown with a book move
  Score bestScore = 0;  // the root's best score as it stands after the search
  uint32_t evalCount = 0;
  uint32_t startTick = 0, endTick = 0;

  // Details of the search, for tools and tests.
  SearchPlan plan;
  int finalDepth = 0;  // nominal depth after the pre-search rule
  int rootMoves = 0;
  bool scoreMade = false;  // false when the root had fewer than two moves
  uint32_t preSearchCount = 0;
  uint32_t fullBoardCount = 0;
  uint64_t nodeCount = 0;  // positions the search reached, for speed figures
};

class FastSearch;

class ComputerPlayer {
 public:
  ComputerPlayer();
  ~ComputerPlayer();
  ComputerPlayer(const ComputerPlayer&) = delete;
  ComputerPlayer& operator=(const ComputerPlayer&) = delete;

  void SeedRandom(uint32_t tick) { book_.SeedRandom(tick); }
  // The human's move number moveNumber (1..8) at column x, row y.
  void RecordOpeningMove(int x, int y, int moveNumber) { book_.RecordOpeningMove(x, y, moveNumber); }

  // The computer's whole decision for `side` as move movesSoFar + 1: asks the book within
  // the first eight moves with at most 12 discs (a book move illegal here is not taken),
  // otherwise searches. Records the move among the first eight for the book. Does not
  // play it.
  ComputerMove DecideMove(const Board& board, Cell side, int cpuLevel, int randomEnabled, int movesSoFar,
                          SearchProgress* progress);

  // The search alone, as DecideMove runs it. Level S uses the fast search unless literal.
  ComputerMove SearchMove(const Board& board, Cell side, int cpuLevel, SearchProgress* progress,
                          bool literal = false);

  SearchPlan PlanSearch(const Board& board, int cpuLevel) const;

  // The book's state: the game's opening so far and its random draw.
  OpeningBook& Book() { return book_; }
  const OpeningBook& Book() const { return book_; }
  // Level S searches step by step too (for comparisons).
  void SetForceLiteral(bool on) { forceLiteral_ = on; }
  // The literal search replays subtrees it has met before (on by default).
  void SetReplaySubtrees(bool on) { replaySubtrees_ = on; }

 private:
  WeightTables weights_;
  Evaluator evaluator_;
  OpeningBook book_;
  SearchScratch scratch_;
  int lastBookLine_ = 0;  // shown when the computer opens with its fixed first move
  bool forceLiteral_ = false;
  bool replaySubtrees_ = true;
  // Their tables live in blocks made once with the player.
  FastSearch* fast_;
  SubtreeMemo* memo_;
};

}  // namespace dfx
