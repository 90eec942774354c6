// A plain reading of the computer player on the 91-cell board, step by step.
#include "test_support.h"

#include <algorithm>
#include <vector>

namespace dfx::reference {
namespace {

// One quarter of each weight table; both are symmetric about the middle lines and the diagonal.
const int quarter[2][4][4] = {{{60, -20, 0, -2}, {-20, -40, -3, -3}, {0, -3, 0, -1}, {-2, -3, -1, -1}},
                              {{5, -1, 1, 1}, {-1, -3, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}};
const int levelRows[5][3] = {{0, 64, 64}, {1, 64, 64}, {2, 56, 58}, {3, 51, 54}, {6, 46, 49}};
const int edges[4][2] = {{10, 1}, {73, -9}, {17, 9}, {80, -1}};  // a corner and the step along its edge

// A square's weight; the neighbours of a taken corner weigh 15 (edge) or 10 (diagonal).
int Weight(const Board& b, int set, int s) {
  for (int corner : {10, 17, 73, 80})
    for (int d : directionOffsets)
      if (b[corner] != Empty && s == corner + d) return d % 2 ? 15 : 10;  // the odd steps run along an edge
  const int x = s % 9 - 1, y = s / 9 - 1;
  return quarter[set][std::min(x, 7 - x)][std::min(y, 7 - y)];
}

Board Played(Board b, int s, Cell side) {
  b.Play(s, side);
  return b;
}

using List = std::vector<std::pair<int, int>>;  // (value, square)

// Exchange sort, descending: the order it leaves equal values in is part of the search.
void SortDescending(List& v) {
  for (size_t i = 0; i + 1 < v.size(); ++i)
    for (size_t j = i + 1; j < v.size(); ++j)
      if (v[i].first < v[j].first) std::swap(v[i], v[j]);
}

struct Machine {
  explicit Machine(int set) : weightSet(set) {}
  int weightSet = 0, mode = 0, depthLimit = 0, sortedPlies = 3, bestMove = 0;
  bool prune = false;
  char glyph = '0';
  uint32_t evals = 0, fullBoards = 0;
  List empties, root;
  std::string marks;

  int Evaluate(const Board& b, Cell side) {
    ++evals;
    const Cell other = opponentOf[side];
    int score = 0;
    for (int s = 10; s <= 80; ++s) {
      if (b[s] == Empty) score += 4 * (b.CanPlay(s, side) - b.CanPlay(s, other));
      if (b[s] <= 0) continue;  // empty or the border
      int frontier = 0;
      for (int d : directionOffsets) frontier += b[s + d] == Empty;
      score += (b[s] == side ? 1 : -1) * (Weight(b, weightSet, s) - frontier);
    }
    for (auto [a, step] : edges) {
      auto run = [&](int corner, int dir) {  // discs of the corner's colour along the edge
        int n = 0;
        while (n < 7 && b[corner + (n + 1) * dir] == b[corner]) ++n;
        score += 4 * (b[corner] == side ? n : -n);
        return n;
      };
      const int far = a + 7 * step;
      if ((b[a] == Empty || run(a, step) != 7) && b[far] != Empty) run(far, -step);
      bool full = b[a] == Empty && b[far] == Empty && b[a + step] != Empty;
      for (int i = 2; i <= 6; ++i) full = full && b[a + i * step] == b[a + step];
      if (full) score += b[a + step] == side ? 40 : -40;
    }
    return score;
  }

  int DiscScore(const Board& b, Cell side) {
    const int d = b.CountDiscs(side) - b.CountDiscs(opponentOf[side]);
    ++evals;
    return mode == 1 ? (d > 0) - (d < 0) : d;
  }

  int OpponentMobility(const Board& b, Cell side) {
    ++evals;
    return -int(Generate(b, opponentOf[side], 0).size());
  }

  // The legal moves in empty-square order; scored after each is played (then at most 31) by
  // evaluation (1) or the opponent's mobility (2), or not at all (0).
  List Generate(const Board& b, Cell side, int scoring) {
    List list;
    for (auto [priority, s] : empties) {
      Board next = b;
      if (b[s] != Empty || next.Play(s, side) == 0) continue;
      list.push_back({scoring == 2 ? OpponentMobility(next, side) : scoring ? Evaluate(next, side) : 0, s});
      if (scoring && list.size() == 31) break;
    }
    return list;
  }

  // One row of marks: a search from the root to `limit` plies.
  int Pass(const Board& b, Cell side, int discs, int limit, int passMode, char passGlyph, bool passPrune) {
    depthLimit = limit, mode = passMode, glyph = passGlyph, prune = passPrune, marks += '/';
    return Node(b, side, 0, 0, discs, 0);
  }

  // Negamax for `side` to move; a node stops once its parent's best cannot be beaten. A leaf is
  // scored for the side that has just moved (or passed).
  int Node(const Board& b, Cell side, int ply, int passes, int discs, int parentBest) {
    const Cell mover = opponentOf[side];
    if (ply > depthLimit || passes == 2 || discs == 64) {
      fullBoards += discs == 64;
      return -(mode == 0 ? Evaluate(b, mover) : DiscScore(b, mover));
    }
    const bool sorted = ply > 0 && ply < sortedPlies;  // the root is sorted already
    List moves = ply == 0 ? root : Generate(b, side, sorted ? 1 + (mode != 0 && ply >= 7) : 0);
    if (sorted) SortDescending(moves);
    int best = -9999;
    if (moves.empty()) return -Node(b, mover, ply + 1, passes + 1, discs, best);
    for (size_t i = 0; i < moves.size(); ++i) {
      const int s = moves[i].second;
      const int score = -Node(Played(b, s, side), mover, ply + 1, 0, discs + 1, best);
      if (score > best && ply == 0) bestMove = s;
      best = std::max(best, score);
      if (ply == 0) {
        root[i].first = best;
        marks += glyph;
        if (mode == 1 && best == 1) break;
      } else if (prune && parentBest >= -best)
        break;
    }
    return best;
  }
};

}  // namespace

Result Search(const Board& board, Cell side, int level) {
  const int discs = board.CountDiscs(Black) + board.CountDiscs(White);
  const int* row = levelRows[level];  // midgame depth, then the disc counts that end the search
  const int mode = discs < row[1] ? 0 : discs < row[2] ? 1 : 2;
  int depth = mode ? 25 : row[0];
  Machine m(discs >= 58);
  for (int s = 10; s <= 80; ++s)
    if (board[s] == Empty) m.empties.push_back({Weight(board, 0, s), s});
  if (level == 4) SortDescending(m.empties);
  m.root = m.Generate(board, side, 1);
  const int rootMoves = static_cast<int>(m.root.size());
  uint32_t preSearchCount = 0;
  if (rootMoves < 2) return {rootMoves, rootMoves ? m.root[0].second : 0, false, 0, m.evals, 0, 0, depth, ""};
  SortDescending(m.root);
  m.DiscScore(board, side);  // the engine counts its disc count as a scoring
  if (depth > 5) {           // a shallow pre-search orders the root and may deepen the search
    m.Pass(board, side, discs, 2, 0, '2', false);
    preSearchCount = m.evals;
    SortDescending(m.root);
    if (preSearchCount <= 3000 && mode == 0) depth += 1;
    m.sortedPlies = depth >= 18 ? 10 : 4;
  }
  const int score = m.Pass(board, side, discs, depth, mode, '3', true);
  return {rootMoves, m.bestMove, true, score, m.evals, preSearchCount, m.fullBoards, depth, m.marks};
}

int Evaluate(const Board& board, Cell side, int set) { return Machine(set).Evaluate(board, side); }

}  // namespace dfx::reference
