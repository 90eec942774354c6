#include "cpu/search.h"

#include "cpu/end_game.h"

#include <cstring>

namespace dfx {

void LiteralSearch::SaveBoard(int slot) {
  c_.saved[slot][White] = c_.discs[White];
  c_.saved[slot][Black] = c_.discs[Black];
}

void LiteralSearch::RestoreBoard(int slot) {
  c_.discs[White] = c_.saved[slot][White];
  c_.discs[Black] = c_.saved[slot][Black];
}

// Makes a move already known to be legal for the side to move.
void LiteralSearch::Play(int square) {
  const int bit = BitOfSquare(square);
  Bits& own = c_.discs[c_.side];
  Bits& other = c_.discs[opponentOf[c_.side]];
  const Bits flips = Flips(bit, own, other);
  own |= flips | (Bits{1} << bit);
  other &= ~flips;
}

void LiteralSearch::Evaluate() {
  answer_.evalCount += 1;
  c_.score = evaluator_.Evaluate(c_.discs[c_.side], c_.discs[opponentOf[c_.side]], ask_.weightSet);
}

void LiteralSearch::DiscScore() {
  answer_.evalCount += 1;
  c_.ownCount = static_cast<int16_t>(PopCount(c_.discs[c_.side]));
  c_.otherCount = static_cast<int16_t>(PopCount(c_.discs[opponentOf[c_.side]]));
  c_.score = static_cast<Score>(DifferenceScore(c_.searchMode, c_.ownCount - c_.otherCount));
}

void LiteralSearch::OpponentMobilityScore() {
  answer_.evalCount += 1;
  // Every square empty now was empty at the root, so it is in the empty-square list.
  c_.score = static_cast<Score>(-PopCount(LegalMoves(c_.discs[opponentOf[c_.side]], c_.discs[c_.side])));
}

void LiteralSearch::BuildEmptySquareList() {
  const int16_t* weights = tables_.squareWeights[0];
  const Bits occupied = c_.discs[White] | c_.discs[Black];
  int16_t priority[BoardCells];
  for (int s = 0; s < BoardCells; ++s) priority[s] = weights[s];
  for (const CornerNeighbourhood& n : cornerNeighbourhoods) {
    if (!(occupied & (Bits{1} << BitOfSquare(n.corner)))) continue;
    priority[n.edgeA] = priority[n.edgeB] = CornerEdgeNeighbourWeight;
    priority[n.diagonal] = CornerDiagonalNeighbourWeight;
  }
  EmptySquareList& list = c_.emptySquares;
  list.count = 0;
  for (int bit = 0; bit < 64; ++bit) {
    if (occupied & (Bits{1} << bit)) continue;
    const int s = SquareOfBit(bit);
    list.count += 1;
    list.entries[list.count] = {static_cast<int16_t>(s), priority[s]};
  }
  if (ask_.level == LevelS && list.count > 1) {
    for (int i = 1; i <= list.count - 1; ++i)
      for (int j = i + 1; j <= list.count; ++j)
        if (list.entries[i].priority < list.entries[j].priority) {
          const EmptySquareEntry t = list.entries[i];
          list.entries[i] = list.entries[j];
          list.entries[j] = t;
        }
  }
  for (int i = 1; i <= list.count; ++i) {
    const int bit = BitOfSquare(list.entries[i].square);
    bitOfRank_[i] = bit;
  }
}

void LiteralSearch::SortMovesDescending() {
  MoveList& list = c_.moveList[c_.ply];
  for (int i = 0; i < list.count - 1; ++i)
    for (int j = i + 1; j < list.count; ++j)
      if (list.entries[i].orderValue < list.entries[j].orderValue) {
        const MoveEntry t = list.entries[i];
        list.entries[i] = list.entries[j];
        list.entries[j] = t;
      }
}

void LiteralSearch::GenerateMoves(bool byMobility) {
  MoveList& list = c_.moveList[c_.ply];
  list.count = 0;
  const Bits own = c_.discs[c_.side], other = c_.discs[opponentOf[c_.side]];
  const Bits legal = LegalMoves(own, other);
  if (!legal) return;
  for (int i = 1; i <= c_.emptySquares.count && list.count < MoveListCapacity; ++i) {
    const int s = c_.emptySquares.entries[i].square;
    if (!(legal & (Bits{1} << BitOfSquare(s)))) continue;
    Play(s);
    if (byMobility)
      OpponentMobilityScore();
    else
      Evaluate();
    list.entries[list.count++] = {static_cast<int16_t>(s), c_.score};
    c_.discs[c_.side] = own;
    c_.discs[opponentOf[c_.side]] = other;
  }
}

int LiteralSearch::PrepareRoot(const Board& board) {
  answer_ = SearchAnswer();
  c_.side = ask_.side;
  c_.nominalDepth = static_cast<int16_t>(ask_.nominalDepth);
  c_.searchMode = ask_.mode;
  c_.ply = 0;
  c_.discs[Empty] = 0;
  c_.discs[White] = DiscsOf(board, White);
  c_.discs[Black] = DiscsOf(board, Black);
  BuildEmptySquareList();
  GenerateMoves(false);
  const MoveList& root = c_.moveList[0];
  if (root.count < 2) {
    c_.plyRecord[0].bestMove = root.entries[0].square;
    return root.count;
  }
  SortMovesDescending();
  DiscScore();
  rootDiscs_ = c_.ownCount + c_.otherCount;
  c_.sortedPlies = 3;
  c_.ply = 0;
  return root.count;
}

void LiteralSearch::PreSearch() {
  const SearchMode mode = ask_.mode;
  const Cell rootSide = c_.side;
  if (c_.nominalDepth > 5) {
    c_.depthLimit = 2;
    c_.sortedPlies = 3;
    c_.pruneEnabled = 0;
    c_.searchMode = SearchMode::Evaluation;
    if (ask_.progress) ask_.progress->StartMarks();
    c_.progressGlyph = 2;
    SearchNode(0, rootDiscs_);
    c_.side = rootSide;
    answer_.preSearchCount = answer_.evalCount;
    SortMovesDescending();
    c_.searchMode = mode;
    if (answer_.preSearchCount <= 3000 && mode == SearchMode::Evaluation) c_.nominalDepth += 1;
    c_.sortedPlies = c_.nominalDepth >= 18 ? 10 : 4;
  } else {
    c_.searchMode = mode;
  }
}

void LiteralSearch::MainSearch() {
  const Cell rootSide = c_.side;
  if (memo_) {
    memo_->NextGeneration();
    memoActive_ = true;
  }
  c_.StartMainSearch(ask_);
  SearchNode(0, rootDiscs_);
  c_.side = rootSide;
  memoActive_ = false;
}

void LiteralSearch::SearchRoot(const Board& board) {
  if (PrepareRoot(board) < 2) return;
  PreSearch();
  MainSearch();
}

void LiteralSearch::SearchNode(int passes, int discs) {
  const int ply = c_.ply;
  SaveBoard(ply);
  PlyRecord& record = c_.plyRecord[ply];
  record.bestScore = NoScore;
  NodeTrace& trace = traces_[ply];
  trace.Start(answer_.evalCount, answer_.fullBoardCount);
  // Notes each rise of the best score with the counts so far; true when the node is cut off.
  auto afterChild = [&](Score bestBefore) {
    if (record.bestScore != bestBefore)
      trace.Rise(record.bestScore, answer_.evalCount, answer_.fullBoardCount);
    if (ply > 0 && c_.pruneEnabled && c_.plyRecord[ply - 1].bestScore >= -record.bestScore) {
      trace.complete = false;
      return true;
    }
    return false;
  };
  // Only the sorted plies come here: SearchChild walks the others.
  if (ply > 0) GenerateMoves(c_.searchMode != SearchMode::Evaluation && ply >= 7);
  MoveList& list = c_.moveList[ply];
  if (list.count >= 2) {
    SortMovesDescending();
  } else if (list.count == 0) {
    VisitChild(0, passes + 1, discs);
    afterChild(NoScore);
    return;
  }
  for (int i = 0; i < list.count; ++i) {
    const int square = list.entries[i].square;
    const Score bestBefore = record.bestScore;
    if (i + 1 < list.count) PrefetchChild(list.entries[i + 1].square, discs + 1);
    Play(square);
    VisitChild(square, 0, discs + 1);
    if (ply == 0) {
      list.entries[i].orderValue = record.bestScore;
      if (ask_.progress) ask_.progress->Mark(c_.progressGlyph);
      if (c_.searchMode == SearchMode::WinLossDraw && record.bestScore == 1) break;
    } else if (afterChild(bestBefore)) {
      break;
    }
  }
}

// Asks for the memo bucket of the child that `square` leads to, while the current child is
// searched: a lookup in the big table otherwise waits on main memory.
void LiteralSearch::PrefetchChild(int square, int childDiscs) {
  if (!memoActive_) return;
  const int childPly = c_.ply + 1;
  if (!Memoised(childPly, childDiscs)) return;
  const int bit = BitOfSquare(square);
  const Bits own = c_.discs[c_.side], other = c_.discs[opponentOf[c_.side]];
  Prefetch(ChildBucket(own, other, bit, Flips(bit, own, other), childPly));
}

// The memo bucket of the position after the mover plays `bit`, capturing `flips`.
SubtreeOutcome* LiteralSearch::ChildBucket(Bits own, Bits other, int bit, Bits flips, int childPly) {
  return memo_->Bucket(other & ~flips, own | flips | (Bits{1} << bit), static_cast<unsigned>(childPly * 2));
}

void LiteralSearch::Prefetch(const SubtreeOutcome* bucket) {
#if defined(__GNUC__)
  // Every cache line the two entries touch.
  const uintptr_t start = reinterpret_cast<uintptr_t>(bucket), end = start + 2 * sizeof(SubtreeOutcome);
  for (uintptr_t line = start & ~uintptr_t{63}; line < end; line += 64)
    __builtin_prefetch(reinterpret_cast<const void*>(line));
#else
  (void)bucket;
#endif
}

// The node at the current ply: SearchNode in the sorted plies, Walk below them, or the
// replayed outcome of the same subtree met before. A node's children and their results do
// not depend on the score it is cut against, only where it stops does; so one walk answers
// every later visit that stops no further.
void LiteralSearch::SearchChild(int passes, int discs) {
  const int ply = c_.ply;
  if (ply >= c_.sortedPlies) {
    // The empty squares in list order, handed down from here on.
    const Bits empty = ~(c_.discs[White] | c_.discs[Black]);
    int8_t squares[64];
    int n = 0;
    for (int i = 1; i <= c_.emptySquares.count; ++i) {
      const int bit = bitOfRank_[i];
      if (empty & (Bits{1} << bit)) squares[n++] = static_cast<int8_t>(bit);
    }
    const int cutAt = c_.pruneEnabled ? -c_.plyRecord[ply - 1].bestScore : -NoScore;
    c_.plyRecord[ply].bestScore = static_cast<Score>(
        Walk(c_.discs[c_.side], c_.discs[opponentOf[c_.side]], ply, passes, discs, cutAt, squares, n));
    return;
  }
  if (!memoActive_ || !Memoised(ply, discs)) {
    SearchNode(passes, discs);
    return;
  }
  const Bits own = c_.discs[c_.side], other = c_.discs[opponentOf[c_.side]];
  const int cutAt = -c_.plyRecord[ply - 1].bestScore;  // the node stops once its best reaches this
  const uint8_t plyAndPasses = static_cast<uint8_t>(ply * 2 + passes);
  SubtreeOutcome* bucket = memo_->Bucket(own, other, plyAndPasses);
  Score best;
  if (Replay(bucket, own, other, plyAndPasses, cutAt, &best)) {
    c_.plyRecord[ply].bestScore = best;
    return;
  }
  SearchNode(passes, discs);
  Store(bucket, own, other, plyAndPasses, traces_[ply], c_.plyRecord[ply].bestScore);
}

// Whether a node's subtree is big enough to be worth a lookup in the memo.
bool LiteralSearch::Memoised(int ply, int discs) const {
  return c_.searchMode == SearchMode::Evaluation ? c_.depthLimit - ply >= 2 : 64 - discs >= 6;
}

// The outcome of a subtree walked before, if it stopped no earlier than this visit would:
// its best score, with the counts its walk made added again.
bool LiteralSearch::Replay(SubtreeOutcome* bucket, Bits own, Bits other, uint8_t plyAndPasses, int cutAt,
                           Score* best) {
  const SubtreeOutcome* e = memo_->Find(bucket, [&](const SubtreeOutcome& x) {
    return x.own == own && x.other == other && x.plyAndPasses == plyAndPasses;
  });
  if (!e) return false;
  for (int k = 0; k < e->count; ++k)
    if (e->best[k] >= cutAt) {
      *best = e->best[k];
      answer_.evalCount += e->evalCount[k];
      answer_.fullBoardCount += e->fullBoardCount[k];
      return true;
    }
  if (!e->complete || e->truncated) return false;
  *best = e->endBest;
  answer_.evalCount += e->endEvalCount;
  answer_.fullBoardCount += e->endFullBoardCount;
  return true;
}

void LiteralSearch::Store(SubtreeOutcome* bucket, Bits own, Bits other, uint8_t plyAndPasses,
                          const NodeTrace& trace, Score best) {
  SubtreeOutcome* slot = memo_->Place(
      bucket,
      [&](const SubtreeOutcome& x) {
        return x.own == own && x.other == other && x.plyAndPasses == plyAndPasses;
      },
      [](const SubtreeOutcome& a, const SubtreeOutcome& b) { return a.endEvalCount < b.endEvalCount; });
  slot->own = own;
  slot->other = other;
  slot->plyAndPasses = plyAndPasses;
  slot->generation = memo_->Generation();
  slot->count = trace.count;
  slot->complete = trace.complete;
  slot->truncated = trace.truncated;
  for (int k = 0; k < trace.count; ++k) {
    slot->best[k] = trace.best[k];
    slot->evalCount[k] = trace.evalCount[k];
    slot->fullBoardCount[k] = trace.fullBoardCount[k];
  }
  slot->endBest = best;
  slot->endEvalCount = answer_.evalCount - trace.evalAtStart;
  slot->endFullBoardCount = answer_.fullBoardCount - trace.fullAtStart;
}

// A node of the plies below the sorted ones, in the square order of the empty-square list,
// with the position passed by value and `squares` the empty squares in list order: the node stops once its
// best reaches cutAt, as the parent's test does.
int LiteralSearch::Walk(Bits own, Bits other, int ply, int passes, int discs, int cutAt,
                        const int8_t* squares, int n) {
  // The last few squares of an end game, when the depth limit cannot be reached there.
  if (c_.searchMode != SearchMode::Evaluation && n >= 1 && n <= 5 && ply + 2 * n + 2 <= c_.depthLimit) {
    if (c_.searchMode == SearchMode::WinLossDraw)
      return EndGameTail<SearchMode::WinLossDraw, true>(answer_, c_.depthLimit)
          .Solve(own, other, ply, passes, NoScore, cutAt, squares, n);
    return EndGameTail<SearchMode::Exact, true>(answer_, c_.depthLimit)
        .Solve(own, other, ply, passes, NoScore, cutAt, squares, n);
  }
  const bool leaves = ply == c_.depthLimit;
  // Where the children are looked up too, all their buckets are asked for at once, before
  // this node's own lookup: the waits on memory then overlap.
  Bits flipsAt[64];
  const bool childrenMemoised = memoActive_ && !leaves && discs + 1 < 64 && Memoised(ply + 1, discs + 1);
  if (childrenMemoised) {
    for (int i = 0; i < n; ++i) {
      const int bit = squares[i];
      const Bits flips = flipsAt[i] = Flips(bit, own, other);
      if (flips) Prefetch(ChildBucket(own, other, bit, flips, ply + 1));
    }
  }
  const bool memoised = memoActive_ && Memoised(ply, discs);
  SubtreeOutcome* bucket = nullptr;
  const uint8_t plyAndPasses = static_cast<uint8_t>(ply * 2 + passes);
  NodeTrace trace;
  if (memoised) {
    bucket = memo_->Bucket(own, other, plyAndPasses);
    Score best;
    if (Replay(bucket, own, other, plyAndPasses, cutAt, &best)) return best;
    trace.Start(answer_.evalCount, answer_.fullBoardCount);
  }
  // Notes each rise of the best score with the counts so far.
  auto rise = [&](int best) {
    if (memoised) trace.Rise(static_cast<Score>(best), answer_.evalCount, answer_.fullBoardCount);
  };
  int best = NoScore;
  bool moved = false;
  for (int i = 0; i < n; ++i) {
    const int bit = squares[i];
    const Bits flips = childrenMemoised ? flipsAt[i] : Flips(bit, own, other);
    if (!flips) continue;
    moved = true;
    const Bits newOwn = own | flips | (Bits{1} << bit), newOther = other & ~flips;
    answer_.nodeCount += 1;
    int v;
    if (leaves || discs + 1 == 64) {
      v = TailScore(newOwn, newOther);
      if (discs + 1 == 64) answer_.fullBoardCount += 1;
    } else {
      int8_t rest[64];
      for (int k = 0, j = 0; k < n; ++k)
        if (k != i) rest[j++] = squares[k];
      v = -Walk(newOther, newOwn, ply + 1, 0, discs + 1, -best, rest, n - 1);
    }
    if (v > best) {
      best = v;
      rise(best);
    }
    if (best >= cutAt) {
      trace.complete = false;
      break;
    }
  }
  if (!moved) {
    answer_.nodeCount += 1;
    if (leaves || passes + 1 == 2) return TailScore(own, other);
    best = -Walk(other, own, ply + 1, passes + 1, discs, -NoScore, squares, n);
    rise(best);
  }
  if (memoised) Store(bucket, own, other, plyAndPasses, trace, static_cast<Score>(best));
  return best;
}

int LiteralSearch::TailScore(Bits own, Bits other) {
  answer_.evalCount += 1;
  if (c_.searchMode == SearchMode::Evaluation) return evaluator_.Evaluate(own, other, ask_.weightSet);
  return DifferenceScore(c_.searchMode, PopCount(own) - PopCount(other));
}

void LiteralSearch::VisitChild(int move, int passes, int discs) {
  const int ply = c_.ply;
  answer_.nodeCount += 1;
  PlyRecord& record = c_.plyRecord[ply];
  if (ply == c_.depthLimit || passes == 2 || discs == 64) {
    if (c_.searchMode == SearchMode::Evaluation)
      Evaluate();
    else
      DiscScore();
    if (record.bestScore < c_.score) {
      record.bestScore = c_.score;
      record.bestMove = static_cast<int16_t>(move);
    }
    RestoreBoard(ply);
    if (discs == 64) answer_.fullBoardCount += 1;
    return;
  }
  c_.ply = static_cast<int16_t>(ply + 1);
  c_.side = opponentOf[c_.side];
  SearchChild(passes, discs);
  c_.ply = static_cast<int16_t>(ply);
  c_.side = opponentOf[c_.side];
  const int child = -c_.plyRecord[ply + 1].bestScore;
  if (record.bestScore < child) {
    record.bestScore = static_cast<Score>(child);
    record.bestMove = static_cast<int16_t>(move);
  }
  RestoreBoard(ply);
}

}  // namespace dfx
