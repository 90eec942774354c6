// The long checks: the whole bench signature, and wide sweeps of the faster searches against
// their yardsticks. Labelled slow, so sanitizer runs can leave them out.
#include "test_support.h"

namespace dfx {
namespace {

TEST(Slow, WholeBenchSignature) { EXPECT_EQ(LiteralSignature(true), 836299159u); }

TEST(Slow, FastSearchMatchesLiteralOnAWideSweep) {
  for (int discs = 20; discs <= 62; ++discs)
    for (const BenchPosition& p :
         RandomPositions(discs, discs >= 46 && discs <= 48 ? 3 : 8, 70000u + 100u * discs))
      ExpectFastMatchesLiteral(p.board, p.side);
  for (uint32_t seed = 0; seed < 60; ++seed)
    for (Cell side : {Black, White})
      ExpectFastMatchesLiteral(ScatteredBoard(seed * 7919u, 30 + seed % 34, 15 + seed % 7 * 12), side);
}

TEST(Slow, LiteralHoldsItsFigureOnScatteredBoardsAndDeepEndGames) {
  uint64_t figure = FoldStart;
  for (uint32_t seed = 0; seed < 40; ++seed)
    for (int level = 0; level <= LevelS; ++level)
      if (level < LevelS || seed < 24)
        figure = FoldLiteral(figure, ScatteredBoard(seed + 11u, 20 + seed, 30 + seed % 5 * 10),
                             seed % 2 ? Black : White, level);
  for (int discs : {49, 50, 52, 53})
    for (const BenchPosition& p : RandomPositions(discs, 2, 8000u + discs))
      figure = FoldLiteral(figure, p.board, p.side, LevelS);
  EXPECT_EQ(figure, 0x8c66b4d7d9d0f43aULL) << std::hex << figure;
}

}  // namespace
}  // namespace dfx
