#include "cpu/computer_player.h"

#include <cstdlib>
#include <new>

#include "cpu/fast_search.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

// The big tables in zeroed memory: large blocks come from the system as untouched zero
// pages, so a player that never searches deep costs next to nothing.
template <class T, class... Args>
T* MakeZeroed(Args&... args) {
  void* memory = std::calloc(1, sizeof(T));
  if (!memory) throw std::bad_alloc();
  if constexpr (sizeof...(Args) == 0)
    return new (memory) T;  // default-initialised: no second pass of zeroes over the table
  else
    return new (memory) T(args...);
}

template <class T>
void FreeZeroed(T* object) {
  object->~T();
  std::free(object);
}

}  // namespace

ComputerPlayer::ComputerPlayer()
    : evaluator_(weights_), fast_(MakeZeroed<FastSearch>(evaluator_)), memo_(MakeZeroed<SubtreeMemo>()) {}

ComputerPlayer::~ComputerPlayer() {
  FreeZeroed(fast_);
  FreeZeroed(memo_);
}

SearchPlan ComputerPlayer::PlanSearch(const Board& board, int cpuLevel) const {
  SearchPlan plan;
  plan.discs = board.CountDiscs(White) + board.CountDiscs(Black);
  const LevelRow& row = levelTable[cpuLevel < 0 ? 0 : cpuLevel > LevelS ? LevelS : cpuLevel];
  plan.weightSet = plan.discs >= 58 ? 1 : 0;
  if (plan.discs >= row.endSearchFrom) {
    plan.nominalDepth = 25;
    plan.mode = plan.discs >= row.exactSearchFrom ? SearchMode::Exact : SearchMode::WinLossDraw;
  } else {
    plan.nominalDepth = row.midgameDepth;
    plan.mode = SearchMode::Evaluation;
  }
  return plan;
}

ComputerMove ComputerPlayer::SearchMove(const Board& board, Cell side, int cpuLevel, SearchProgress* progress,
                                        bool literal) {
  ComputerMove move;
  if (cpuLevel < 0) cpuLevel = 0;
  if (cpuLevel > LevelS) cpuLevel = LevelS;
  move.plan = PlanSearch(board, cpuLevel);
  const SearchRequest request{side,           cpuLevel, move.plan.weightSet, move.plan.nominalDepth,
                              move.plan.mode, progress};
  SearchAnswer answer;
  LiteralSearch search(request, answer, scratch_, weights_, evaluator_, replaySubtrees_ ? memo_ : nullptr);
  move.startTick = TickCount();
  if (cpuLevel == LevelS && !literal) {
    if (search.PrepareRoot(board) >= 2) {
      search.PreSearch();
      fast_->MainSearch(request, answer, scratch_, search.rootDiscs());
    }
  } else {
    search.SearchRoot(board);
  }
  move.endTick = TickCount();

  move.rootMoves = scratch_.moveList[0].count;
  move.scoreMade = move.rootMoves >= 2;
  move.finalDepth = scratch_.nominalDepth;
  move.evalCount = answer.evalCount;
  move.preSearchCount = answer.preSearchCount;
  move.fullBoardCount = answer.fullBoardCount;
  move.nodeCount = answer.nodeCount;
  move.bestScore = scratch_.plyRecord[0].bestScore;
  if (move.rootMoves == 0) {
    move.pass = true;
    return move;
  }
  move.square = scratch_.plyRecord[0].bestMove;
  move.y = move.square / 9;
  move.x = move.square - 9 * move.y;
  return move;
}

ComputerMove ComputerPlayer::DecideMove(const Board& board, Cell side, int cpuLevel, int randomEnabled,
                                        int movesSoFar, SearchProgress* progress) {
  const int moveNumber = movesSoFar + 1;
  const int discs = board.CountDiscs(White) + board.CountDiscs(Black);
  if (moveNumber <= RecordedMoves && discs <= 12) {
    const BookChoice choice = book_.LookUp(moveNumber, randomEnabled);
    const int square = SquareIndex(choice.x, choice.y);
    // A book move can be illegal on an unusual start position; then it is not taken.
    if (choice.found && choice.x >= 1 && choice.x <= 8 && choice.y >= 1 && choice.y <= 8 &&
        board[square] == Empty && board.CanPlay(square, side)) {
      book_.Take(choice, moveNumber);
      if (moveNumber > 1) lastBookLine_ = book_.firstMatch + book_.randomOffset;
      ComputerMove move;
      move.moveNumber = moveNumber;
      move.bookHit = true;
      move.square = square;
      move.x = choice.x;
      move.y = choice.y;
      move.bookLine = lastBookLine_;
      move.bestScore = scratch_.plyRecord[0].bestScore;
      move.plan = PlanSearch(board, cpuLevel);
      return move;
    }
    book_.seed = choice.seed;  // a number drawn stays drawn, whether its move is taken or not
    if (!choice.found) {
      book_.firstMatch = choice.firstMatch;
      book_.lastMatch = choice.lastMatch;
    }
  }
  ComputerMove move = SearchMove(board, side, cpuLevel, progress, forceLiteral_);
  move.moveNumber = moveNumber;
  if (!move.pass && moveNumber <= RecordedMoves) book_.RecordOpeningMove(move.x, move.y, moveNumber);
  return move;
}

}  // namespace dfx
