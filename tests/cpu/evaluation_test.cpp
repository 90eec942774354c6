// The bitboard evaluation: the hand-checked cases, and agreement with the mailbox reference.
#include <gtest/gtest.h>

#include "cpu/bench_suite.h"
#include "cpu/evaluation.h"
#include "reference_search.h"
#include "test_support.h"

namespace dfx {
namespace {

struct EvaluationTest : ::testing::Test {
  WeightTables tables;
  Evaluator evaluator{tables};
  int16_t Score(const Board& b, Cell side, int set = 0) {
    return evaluator.Evaluate(DiscsOf(b, side), DiscsOf(b, opponentOf[side]), set);
  }
};

TEST_F(EvaluationTest, StartPositionIsBalancedForBothSides) {
  Board b;
  StandardStart(b);
  EXPECT_EQ(Score(b, Black), 0);
  EXPECT_EQ(Score(b, White), 0);
}

TEST_F(EvaluationTest, WholeEdgeFromOwnCornerCountsOneRunOfSeven) {
  // Black owns the whole top row; one White disc below it keeps the position legal-looking.
  const Board b = BoardFromText(
      "XXXXXXXX"
      "--------"
      "---O----"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------").value();
  // Positional: 60+60 corners, 15+15 next to the taken corners, -2-2+0+0 inside; White's d3 -(-1).
  // Frontier: Black's discs see 2+3*6+2 = 22 empty neighbours, White's 8. Runs: +7 for Black only.
  // Mobility: Black has none, White none either (no White line reaches an empty square over Black).
  const int positional = 60 + 60 + 15 + 15 - 2 - 2 + 0 + 0 + 1;
  const int frontier = 8 - 22;
  EXPECT_EQ(Score(b, Black), positional + frontier + 4 * 7);
  EXPECT_EQ(Score(b, White), -(positional + frontier + 4 * 7));
}

TEST_F(EvaluationTest, CornerAdjustmentLastsForOneEvaluationOnly) {
  Board withCorner = BoardFromText(
      "XO------"
      "OO------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------"
      "--------").value();
  Board withoutCorner = withCorner;
  withoutCorner[10] = Empty;
  const int16_t before = Score(withoutCorner, White);
  Score(withCorner, White);
  EXPECT_EQ(Score(withoutCorner, White), before);
  EXPECT_EQ(before, reference::Evaluate(withoutCorner, White, 0));
  EXPECT_EQ(Score(withCorner, White), reference::Evaluate(withCorner, White, 0));
  // White's b1, a2 weigh 15 and b2 10 next to the taken corner, against -20, -20, -40 without it.
  EXPECT_NE(Score(withCorner, White), before);
}

TEST_F(EvaluationTest, FullInnerEdgeBetweenEmptyCornersIsWorthFortyToItsOwner) {
  const int ownFull[8] = {0, 2, 2, 2, 2, 2, 2, 0};
  const int otherFull[8] = {0, 1, 1, 1, 1, 1, 1, 0};
  const int notFull[8] = {0, 1, 1, 1, 2, 1, 1, 0};
  const int cornerTaken[8] = {1, 2, 2, 2, 2, 2, 2, 0};
  EXPECT_EQ(EdgeTermOfLine(ownFull), -40);  // cells: 1 own, 2 other
  EXPECT_EQ(EdgeTermOfLine(otherFull), 40);
  EXPECT_EQ(EdgeTermOfLine(notFull), 0);
  EXPECT_EQ(EdgeTermOfLine(cornerTaken), 0);  // own corner, run of 0; no full edge with a corner taken
}

TEST_F(EvaluationTest, EdgeRunsFromBothCornersUnlessTheFirstCoversTheEdge) {
  const int both[8] = {1, 1, 0, 0, 0, 2, 2, 2};   // own run 1, other run 2
  const int whole[8] = {1, 1, 1, 1, 1, 1, 1, 1};  // one run of 7, the second corner adds nothing
  const int secondOnly[8] = {0, 1, 1, 0, 0, 0, 2, 2};
  EXPECT_EQ(EdgeTermOfLine(both), 4 * (1 - 2));
  EXPECT_EQ(EdgeTermOfLine(whole), 4 * 7);
  EXPECT_EQ(EdgeTermOfLine(secondOnly), 4 * -1);
}

TEST_F(EvaluationTest, BorderCellsAreNotEmptyNeighbours) {
  // A lone corner disc has three empty neighbours; the five border cells around it do not count.
  Board b;
  b[80] = Black;
  b[40] = White;
  const int blackCorner = 60;
  const int whiteCentre = -1;
  EXPECT_EQ(Score(b, Black), blackCorner - whiteCentre + (8 - 3));
}

TEST_F(EvaluationTest, AgreesWithReferenceOnRandomPositionsBothSidesBothSets) {
  int checked = 0;
  for (int discs = 5; discs <= 64; discs += 3) {
    for (const BenchPosition& p : RandomPositions(discs, 6, 77u * static_cast<uint32_t>(discs))) {
      for (Cell side : {White, Black})
        for (int set = 0; set < 2; ++set) {
          ASSERT_EQ(Score(p.board, side, set), reference::Evaluate(p.board, side, set))
              << "seed " << p.seed << " discs " << discs << " side " << side << " set " << set;
          ++checked;
        }
    }
  }
  EXPECT_GT(checked, 400);
}

}  // namespace
}  // namespace dfx
