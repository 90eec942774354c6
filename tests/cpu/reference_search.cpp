#include "reference_search.h"

namespace dfx::reference {
namespace {

const int16_t weightRows[2][8][8] = {
    {{60, -20, 0, -2, -2, 0, -20, 60},
     {-20, -40, -3, -3, -3, -3, -40, -20},
     {0, -3, 0, -1, -1, 0, -3, 0},
     {-2, -3, -1, -1, -1, -1, -3, -2},
     {-2, -3, -1, -1, -1, -1, -3, -2},
     {0, -3, 0, -1, -1, 0, -3, 0},
     {-20, -40, -3, -3, -3, -3, -40, -20},
     {60, -20, 0, -2, -2, 0, -20, 60}},
    {{5, -1, 1, 1, 1, 1, -1, 5},
     {-1, -3, 1, 1, 1, 1, -3, -1},
     {1, 1, 1, 1, 1, 1, 1, 1},
     {1, 1, 1, 1, 1, 1, 1, 1},
     {1, 1, 1, 1, 1, 1, 1, 1},
     {1, 1, 1, 1, 1, 1, 1, 1},
     {-1, -3, 1, 1, 1, 1, -3, -1},
     {5, -1, 1, 1, 1, 1, -1, 5}}};

const int levelRows[5][3] = {{0, 64, 64}, {1, 64, 64}, {2, 56, 58}, {3, 51, 54}, {6, 46, 49}};
const int corners[4][4] = {{10, 11, 19, 20}, {17, 16, 26, 25}, {73, 64, 74, 65}, {80, 79, 71, 70}};

struct Machine {
  Board board;
  Board plies[31], scratch;  // the position saved on entering each ply; one move tried in a list
  int16_t squareWeights[2][91] = {};
  int16_t adjust[2][4] = {};  // default edge, default diagonal, corner edge, corner diagonal

  Cell side = 0;
  int ply = 0, depthLimit = 0, nominalDepth = 0, sortedPlies = 3, pruneEnabled = 0, searchMode = 0;
  uint32_t evalCount = 0, preSearchCount = 0, fullBoardCount = 0;
  int progressGlyph = 3;
  int16_t ownCount = 0, otherCount = 0, score = 0;
  int weightSet = 0, level = 0;
  int16_t bestMove[31] = {}, bestScore[31] = {};
  int16_t listCount[31] = {};
  int16_t listSquare[31][31] = {}, listValue[31][31] = {};
  int emptyCount = 0;
  int16_t emptySquare[61] = {}, emptyPriority[61] = {};
  std::string marks;

  Machine() {
    for (int set = 0; set < 2; ++set) {
      for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 8; ++x) squareWeights[set][y * 9 + x] = weightRows[set][y - 1][x - 1];
      adjust[set][0] = squareWeights[set][11];
      adjust[set][1] = squareWeights[set][20];
      adjust[set][2] = 15;
      adjust[set][3] = 10;
    }
  }

  void DoEvaluate() {
    evalCount += 1;
    int16_t* w = squareWeights[weightSet];
    for (auto& c : corners)
      if (board[c[0]] != Empty) {
        w[c[1]] = adjust[weightSet][2];
        w[c[2]] = adjust[weightSet][2];
        w[c[3]] = adjust[weightSet][3];
      }
    const Cell other = opponentOf[side];
    int positional = 0, ownFrontier = 0, otherFrontier = 0, ownRun = 0, otherRun = 0, ownFull = 0, otherFull = 0,
        ownMob = 0, otherMob = 0;
    for (int s = 10; s <= 80; ++s) {
      const Cell c = board[s];
      if (c > 0) {
        int n = 0;
        for (int d : directionOffsets) n += board[s + d] == Empty;
        if (c == side) {
          positional += w[s];
          ownFrontier += n;
        } else {
          positional -= w[s];
          otherFrontier += n;
        }
      } else if (c == Empty) {
        if (board.CanPlay(s, side)) ownMob += 1;
        if (board.CanPlay(s, other)) otherMob += 1;
      }
    }
    auto run = [&](int corner, int step) {
      const Cell k = board[corner];
      int n = 0;
      int p = corner + step;
      while (n < 7 && board[p] == k) {
        n += 1;
        p += step;
      }
      (k == side ? ownRun : otherRun) += n;
      return n;
    };
    const int edges[4][4] = {{10, 1, 17, -1}, {73, -9, 10, 9}, {17, 9, 80, -9}, {80, -1, 73, 1}};
    for (auto& e : edges) {
      if (board[e[0]] != Empty) {
        if (run(e[0], e[1]) != 7 && board[e[2]] != Empty) run(e[2], e[3]);
      } else if (board[e[2]] != Empty) {
        run(e[2], e[3]);
      }
    }
    const int inner[4][4] = {{11, 1, 10, 17}, {74, 1, 73, 80}, {19, 9, 10, 73}, {26, 9, 17, 80}};
    for (auto& e : inner) {
      if (board[e[2]] != Empty || board[e[3]] != Empty || board[e[0]] == Empty) continue;
      bool all = true;
      for (int i = 1; i < 6; ++i) all = all && board[e[0] + i * e[1]] == board[e[0]];
      if (all) (board[e[0]] == side ? ownFull : otherFull) += 1;
    }
    for (auto& c : corners) {
      w[c[1]] = adjust[weightSet][0];
      w[c[2]] = adjust[weightSet][0];
      w[c[3]] = adjust[weightSet][1];
    }
    score = static_cast<int16_t>(positional + (otherFrontier - ownFrontier) + 4 * (ownRun - otherRun) +
                                 40 * (ownFull - otherFull) + 4 * (ownMob - otherMob));
  }

  void DoDiscScore() {
    evalCount += 1;
    ownCount = otherCount = 0;
    for (int s = 10; s <= 80; ++s)
      if (board[s] > 0) (board[s] == side ? ownCount : otherCount) += 1;
    score = static_cast<int16_t>(ownCount - otherCount);
    if (searchMode == 1) score = static_cast<int16_t>(score > 0 ? 1 : score < 0 ? -1 : 0);
  }

  void DoOpponentMobilityScore() {
    evalCount += 1;
    score = 0;
    for (int i = 1; i <= emptyCount; ++i)
      if (board[emptySquare[i]] == Empty && board.CanPlay(emptySquare[i], opponentOf[side])) score -= 1;
  }

  void BuildEmptySquareList() {
    int16_t* w = squareWeights[0];
    for (auto& c : corners)
      if (board[c[0]] != Empty) {
        w[c[1]] = 15;
        w[c[2]] = 15;
        w[c[3]] = 10;
      }
    emptyCount = 0;
    for (int s = 10; s <= 80; ++s)
      if (board[s] == Empty) {
        emptyCount += 1;
        emptySquare[emptyCount] = static_cast<int16_t>(s);
        emptyPriority[emptyCount] = w[s];
      }
    for (auto& c : corners) {
      w[c[1]] = -20;
      w[c[2]] = -20;
      w[c[3]] = -40;
    }
    if (level == 4 && emptyCount > 1)
      for (int i = 1; i <= emptyCount - 1; ++i)
        for (int j = i + 1; j <= emptyCount; ++j)
          if (emptyPriority[i] < emptyPriority[j]) {
            std::swap(emptyPriority[i], emptyPriority[j]);
            std::swap(emptySquare[i], emptySquare[j]);
          }
  }

  void SortMovesDescending() {
    for (int i = 0; i <= listCount[ply] - 2; ++i)
      for (int j = i + 1; j <= listCount[ply] - 1; ++j)
        if (listValue[ply][i] < listValue[ply][j]) {
          std::swap(listValue[ply][i], listValue[ply][j]);
          std::swap(listSquare[ply][i], listSquare[ply][j]);
        }
  }

  void Generate(bool byMobility) {
    listCount[ply] = 0;
    scratch = board;
    for (int i = 1; i <= emptyCount; ++i) {
      const int s = emptySquare[i];
      if (board[s] != Empty) continue;
      if (board.FlipDiscs(s, side) == 0) continue;
      board[s] = side;
      if (byMobility)
        DoOpponentMobilityScore();
      else
        DoEvaluate();
      if (listCount[ply] < 31) {
        listSquare[ply][listCount[ply]] = static_cast<int16_t>(s);
        listValue[ply][listCount[ply]] = score;
        listCount[ply] += 1;
      }
      board = scratch;
      if (listCount[ply] == 31) break;
    }
  }

  void VisitChild(int move, int passes, int discs) {
    if (ply == depthLimit || passes == 2 || discs == 64) {
      if (searchMode == 0)
        DoEvaluate();
      else
        DoDiscScore();
      if (bestScore[ply] < score) {
        bestScore[ply] = score;
        bestMove[ply] = static_cast<int16_t>(move);
      }
      board = plies[ply];
      if (discs == 64) fullBoardCount += 1;
      return;
    }
    ply += 1;
    side = opponentOf[side];
    SearchNode(passes, discs);
    ply -= 1;
    side = opponentOf[side];
    if (bestScore[ply] < -bestScore[ply + 1]) {
      bestScore[ply] = static_cast<int16_t>(-bestScore[ply + 1]);
      bestMove[ply] = static_cast<int16_t>(move);
    }
    board = plies[ply];
  }

  void SearchNode(int passes, int discs) {
    plies[ply] = board;
    bestScore[ply] = -9999;
    if (ply < sortedPlies) {
      if (ply > 0) Generate(searchMode != 0 && ply >= 7);
      if (listCount[ply] >= 2) {
        SortMovesDescending();
      } else if (listCount[ply] == 0) {
        VisitChild(0, passes + 1, discs);
        return;
      }
      for (int i = 0; i < listCount[ply]; ++i) {
        const int s = listSquare[ply][i];
        board.FlipDiscs(s, side);
        board[s] = side;
        VisitChild(s, 0, discs + 1);
        if (ply == 0) {
          listValue[0][i] = bestScore[0];
          marks += static_cast<char>('0' + progressGlyph);
          if (searchMode == 1 && listValue[0][i] == 1) break;
        } else if (pruneEnabled && bestScore[ply - 1] >= -bestScore[ply]) {
          break;
        }
      }
      return;
    }
    bool any = false;
    for (int i = 1; i <= emptyCount; ++i) {
      const int s = emptySquare[i];
      if (board[s] != Empty) continue;
      if (board.FlipDiscs(s, side) == 0) continue;
      any = true;
      board[s] = side;
      VisitChild(s, 0, discs + 1);
      if (ply > 0 && pruneEnabled && bestScore[ply - 1] >= -bestScore[ply]) break;
    }
    if (!any) VisitChild(0, passes + 1, discs);
  }

  void SearchRoot(int mode) {
    const Cell rootSide = side;
    preSearchCount = evalCount = fullBoardCount = 0;
    ply = 0;
    BuildEmptySquareList();
    Generate(false);
    if (listCount[0] < 2) {
      bestMove[0] = listSquare[0][0];
      return;
    }
    SortMovesDescending();
    DoDiscScore();
    const int discs = ownCount + otherCount;
    sortedPlies = 3;
    ply = 0;
    if (nominalDepth > 5) {
      depthLimit = 2;
      sortedPlies = 3;
      side = rootSide;
      pruneEnabled = 0;
      searchMode = 0;
      progressGlyph = 2;
      SearchNode(0, discs);
      preSearchCount = evalCount;
      SortMovesDescending();
      searchMode = mode;
      if (preSearchCount <= 3000 && mode == 0) nominalDepth += 1;
      sortedPlies = nominalDepth >= 18 ? 10 : 4;
    }
    ply = 0;
    depthLimit = nominalDepth;
    side = rootSide;
    pruneEnabled = 1;
    progressGlyph = 3;
    SearchNode(0, discs);
  }
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

}  // namespace

Result Search(const Board& board, Cell side, int level) {
  Machine& m = TheMachine();
  for (int i = 0; i < BoardCells; ++i) m.board.cells[i] = board.cells[i];
  int discs = 0;
  for (int s = 10; s <= 80; ++s) discs += board[s] > 0;
  const int* row = levelRows[level];
  Result r;
  r.weightSet = discs >= 58 ? 1 : 0;
  if (discs >= row[1]) {
    r.nominalDepth = 25;
    r.mode = discs >= row[2] ? 2 : 1;
  } else {
    r.nominalDepth = row[0];
    r.mode = 0;
  }
  m.weightSet = r.weightSet;
  m.level = level;
  m.nominalDepth = r.nominalDepth;
  m.searchMode = r.mode;
  m.side = side;
  m.marks.clear();
  m.SearchRoot(r.mode);
  r.rootMoves = m.listCount[0];
  r.bestMove = r.rootMoves > 0 ? m.bestMove[0] : 0;
  r.bestScore = m.bestScore[0];
  r.scoreMade = r.rootMoves >= 2;
  r.evalCount = m.evalCount;
  r.preSearchCount = m.preSearchCount;
  r.fullBoardCount = m.fullBoardCount;
  r.finalDepth = m.nominalDepth;
  r.marks = m.marks;
  return r;
}

int16_t Evaluate(const Board& board, Cell side, int weightSet) {
  Machine& m = TheMachine();
  for (int i = 0; i < BoardCells; ++i) m.board.cells[i] = board.cells[i];
  m.side = side;
  m.weightSet = weightSet;
  m.DoEvaluate();
  return m.score;
}

}  // namespace dfx::reference
