// The engine against its yardsticks: the literal search and the evaluation by the figures their
// reports fold into and by hand, the fast level-S search against the literal one (which flips by
// bitboard, so a faulty flip shows there), and the bench signature.
#include "test_support.h"

namespace dfx {
namespace {

struct LiteralSearch : ::testing::TestWithParam<std::pair<int, uint64_t>> {};

// Seeded games at each disc count, every level (level S only where it is quick), hold their figure.
TEST_P(LiteralSearch, HoldsItsFigure) {
  const auto [discs, figure] = GetParam();
  uint64_t got = FoldStart;
  for (const BenchPosition& p : RandomPositions(discs, 3, 500u + uint32_t(discs)))
    for (int level = 0; level <= LevelS; ++level)
      if (level < LevelS || discs < 40 || discs >= 52) got = FoldLiteral(got, p.board, p.side, level);
  EXPECT_EQ(got, figure) << discs << " discs: 0x" << std::hex << got;
}
INSTANTIATE_TEST_SUITE_P(
    DiscCounts, LiteralSearch,
    ::testing::Values(std::pair{8, 0x7eccbcc5487f24c4ULL}, std::pair{14, 0x3a22d08701c8b154ULL},
                      std::pair{20, 0x2e882d0cf13d83b4ULL}, std::pair{27, 0x94ff4f95de0517a6ULL},
                      std::pair{33, 0x3dc93d1a6136eb4fULL}, std::pair{40, 0x8aa843a3bbbe7787ULL},
                      std::pair{45, 0x60725ec4cccacdddULL}, std::pair{51, 0x5f3358e191e6792cULL},
                      std::pair{54, 0x25766ec62da14965ULL}, std::pair{56, 0x3163e5e85473ee56ULL},
                      std::pair{57, 0x1d1d4c7883352fecULL}, std::pair{58, 0x17fc7353402eaa0aULL},
                      std::pair{60, 0x21988ef2de529710ULL}, std::pair{62, 0x78159c9d1f40cddaULL},
                      std::pair{63, 0xcc32c4500e7d56afULL}));

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

// By hand for White: row 1
// 120 (10) + taken corners' neighbours 30 - 4 (4) - frontier 22 + one run of seven 28; b1..g1
// between empty corners -44 (2), the adjustment gone, - 20 (the border is no frontier) + 40.
TEST(Evaluation, HandComputedValuesAndTheFigureForBothSidesAndSets) {
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
  uint64_t figure = FoldStart;
  for (const Board& b : boards)
    for (Cell side : {White, Black})
      for (int set : {0, 1})
        figure = Fold(
            figure, std::to_string(evaluator.Evaluate(DiscsOf(b, side), DiscsOf(b, opponentOf[side]), set)));
  EXPECT_EQ(figure, 0x3ae09724620c1afcULL) << std::hex << figure;
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
