// The bench signature: the total evalCount of the literal searches over the bench suite. Any
// change to the suite or to what the search visits changes it; the slow test holds the whole
// suite's value, this one the part that runs in a moment (levels 0 to 3).
#include <gtest/gtest.h>

#include "cpu/bench_suite.h"
#include "test_support.h"

namespace dfx {
namespace {

TEST(BenchSignature, LevelsZeroToThreeHoldTheirSignature) {
  EXPECT_EQ(DistinctLevels(20), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(DistinctLevels(58), (std::vector<int>{0, 1, 2, 4}));  // levels 2 and 3 search alike there
  EXPECT_EQ(LiteralSignature(false), 2089154u);
}

}  // namespace
}  // namespace dfx
