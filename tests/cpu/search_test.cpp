// The engine against its yardsticks: the literal search and the evaluation against the
// reference, the fast level-S search against the literal one (which flips by bitboard, so a
// faulty flip shows there), and the bench signature.
#include "test_support.h"

namespace dfx {
namespace {

struct LiteralSearch : ::testing::TestWithParam<int> {};

// Seeded games at each disc count, every level; level S only where the reference is quick.
TEST_P(LiteralSearch, MatchesReference) {
  const int discs = GetParam();
  for (const BenchPosition& p : RandomPositions(discs, 3, 500u + uint32_t(discs)))
    for (int level = 0; level <= LevelS; ++level)
      if (level < LevelS || discs < 40 || discs >= 52) ExpectLiteralMatchesReference(p.board, p.side, level);
}
INSTANTIATE_TEST_SUITE_P(DiscCounts, LiteralSearch,
                         ::testing::Values(8, 14, 20, 27, 33, 40, 45, 51, 54, 56, 57, 58, 60, 62, 63));

// The level table by its rows, at every boundary; levels out of range are clamped.
TEST(LiteralSearch, LevelTableRows) {
  auto player = std::make_unique<ComputerPlayer>();
  const int rows[][5] = {// level, discs: depth, mode, weight set
                         {0, 57, 0, 0, 0},  {0, 58, 0, 0, 1},  {0, 64, 25, 2, 1}, {1, 63, 1, 0, 1},
                         {2, 55, 2, 0, 0},  {2, 56, 25, 1, 0}, {2, 57, 25, 1, 0}, {2, 58, 25, 2, 1},
                         {3, 50, 3, 0, 0},  {3, 51, 25, 1, 0}, {3, 53, 25, 1, 0}, {3, 54, 25, 2, 0},
                         {4, 45, 6, 0, 0},  {4, 46, 25, 1, 0}, {4, 48, 25, 1, 0}, {4, 49, 25, 2, 0},
                         {-1, 20, 0, 0, 0}, {9, 45, 6, 0, 0}};
  for (const auto& r : rows) {
    const SearchPlan plan = player->PlanSearch(ScatteredBoard(uint32_t(r[1]), r[1], 50), r[0]);
    EXPECT_EQ(std::tuple(plan.discs, plan.nominalDepth, int(plan.mode), plan.weightSet),
              std::tuple(r[1], r[2], r[3], r[4]))
        << "level " << r[0];
  }
}

// By hand, beside the reference (a misreading both share shows only here), for White: row 1
// 120 (10) + taken corners' neighbours 30 - 4 (4) - frontier 22 + one run of seven 28; b1..g1
// between empty corners -44 (2), the adjustment gone, - 20 (the border is no frontier) + 40.
TEST(Evaluation, HandComputedValuesAndTheReferenceForBothSidesAndSets) {
  WeightTables tables;
  Evaluator evaluator{tables};
  for (auto [row, set0, set1] : {std::tuple(std::string(27, '-') + "OX------XO", 0, 0),
                                 {"OOOOOOOO", 152, 50},
                                 {"-OOOOOO-", -24, 22}}) {
    const Board b = BoardFromText(row + std::string(64 - row.size(), '-')).value();
    for (auto [set, want] : {std::pair(0, set0), {1, set1}})  // White's view; both sides below
      EXPECT_EQ(evaluator.Evaluate(DiscsOf(b, White), DiscsOf(b, Black), set), want) << row << " set " << set;
  }
  // Seeded positions and scattered boards of one colour mostly, so whole edges and runs occur.
  std::vector<Board> boards;
  for (int discs = 5; discs <= 62; discs += 3)
    for (const BenchPosition& p : RandomPositions(discs, 6, 77u * uint32_t(discs))) boards.push_back(p.board);
  for (uint32_t seed = 0; seed < 300; ++seed)
    boards.push_back(ScatteredBoard(seed, 1 + int(seed % 64), 5 + int(seed % 3) * 45));
  for (const Board& b : boards)
    for (Cell side : {White, Black})
      for (int set : {0, 1})
        ASSERT_EQ(evaluator.Evaluate(DiscsOf(b, side), DiscsOf(b, opponentOf[side]), set),
                  reference::Evaluate(b, side, set))
            << BoardToText(b) << side << set;
}

TEST(FastSearch, MatchesLiteralOnSeededGamesAndScatteredBoards) {
  for (int discs = 5; discs <= 63; discs += (discs < 44 ? 3 : discs < 49 ? 10 : 1))
    for (const BenchPosition& p : RandomPositions(discs, 2, 3000u + uint32_t(discs)))
      ExpectFastMatchesLiteral(p.board, p.side);
  // Passes, wipe-outs and (at 48 discs) win/loss/draw roots that stop at the first win.
  for (int discs : {3, 6, 12, 30, 40, 48, 50, 52, 55, 58, 60, 62, 63})
    for (int blackPercent : {10, 50, 85})
      for (Cell side : {Black, White})
        ExpectFastMatchesLiteral(ScatteredBoard(100u * discs + blackPercent, discs, blackPercent), side);
}

// The total evalCount of the literal searches over the bench suite: any change to the suite, to
// the levels it runs (suite boards at 20 and 58 discs) or to what the search visits changes it.
// The slow test holds the whole suite's value, this one the part that runs in a moment (levels
// 0 to 3).
TEST(BenchSignature, LevelsZeroToThreeHoldTheirSignature) { EXPECT_EQ(LiteralSignature(false), 2089154u); }

}  // namespace
}  // namespace dfx
