// The runtime's number text, clock and data-folder lookup.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>

#include "runtime/clock.h"
#include "runtime/data_folder.h"
#include "runtime/number_text.h"

namespace dfx {
namespace {

TEST(NumberText, FifteenSignificantDigitsThenAnExponent) {
  const std::pair<double, const char*> cases[] = {{0, "0"},
                                                  {-12, "-12"},
                                                  {-0.25, "-0.25"},
                                                  {0.1 + 0.2, "0.3"},
                                                  {2.0 / 3, "0.666666666666667"},
                                                  {100.0 / 3, "33.3333333333333"},
                                                  {0.9999999999999999, "1"},
                                                  {9.99999999999999, "10"},
                                                  {0.0001, "0.0001"},
                                                  {0.00001, "1.00000000000000e-05"},
                                                  {-1e-7, "-1.00000000000000e-07"},
                                                  {1.5e-100, "1.50000000000000e-100"},
                                                  {4.94065645841247e-324, "4.94065645841247e-324"},
                                                  {123456789012345.0, "123456789012345"},
                                                  {999999999999999.0, "1.00000000000000e+015"},
                                                  {1.7976931348623157e308, "1.79769313486232e+308"},
                                                  {HUGE_VAL, "Inf"},
                                                  {-HUGE_VAL, "-Inf"},
                                                  {NAN, "NaN"}};
  for (auto [value, text] : cases) EXPECT_EQ(FormatNumber(value), text) << value;
  // FloorToInt rounds towards minus infinity and clamps.
  const std::pair<double, int32_t> floors[] = {
      {2.7, 2},      {-2.5, -3},         {-3.0, -3},          {-0.1, -1},
      {80.0 / 9, 8}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}, {NAN, 0}};
  for (auto [value, floor] : floors) EXPECT_EQ(FloorToInt(value), floor) << value;
}

TEST(Clock, VirtualSleepAdvancesAndWrapsAtOnceRealSleepWaits) {
  UseVirtualClock(0xFFFFFFF0u);
  SleepMs(120);
  EXPECT_EQ(TickCount(), 0xFFFFFFF0u + 120u);
  UseRealClock();
  const uint32_t before = TickCount();
  SleepMs(15);
  EXPECT_GE(TickCount() - before, 14u);
}

// The working directory, then beside the executable, then the installed folder:
// the first whose res/bmp holds a glyph file. Per folder: '-' res alone, 'e'
// empty res/bmp, 'd' a glyph name that is a folder, 'g' a glyph.
TEST(DataFolder, FirstCandidateWithAGlyph) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(::testing::TempDir()) / ("dfx_data_" + std::to_string(getpid()));
  for (auto [layout, chosen] : {std::pair("ggg", 0), {"-gg", 1}, {"e-g", 2}, {"d--", -1}}) {
    const fs::path folders[3] = {root / layout / "cwd", root / layout / "bin",
                                 root / layout / "share" / "discoflipparex"};
    for (int i = 0; i < 3; ++i) {
      const char c = layout[i];
      fs::create_directories(folders[i] / "res" / (c == '-' ? "" : c == 'd' ? "bmp/000.bmp" : "bmp"));
      if (c == 'g') std::ofstream(folders[i] / "res" / "bmp" / "256.bmp") << "BM";
    }
    const fs::path want = chosen < 0 ? fs::path() : folders[chosen];
    EXPECT_EQ(FindDataFolder(DataFolderCandidates(folders[0], folders[1])), want) << layout;
  }
  // Started in a folder since deleted: the files beside the program are found and entered.
#ifdef _WIN32
  GTEST_SKIP() << "Windows cannot delete the working directory";
#endif
  const fs::path before = fs::current_path(), gone = root / "gone", bin = root / "-gg" / "bin";
  fs::create_directories(gone);
  fs::current_path(gone);
  fs::remove(gone);
  EXPECT_TRUE(EnterDataFolder(bin));
  EXPECT_EQ(fs::current_path(), bin);
  fs::current_path(before);
  fs::remove_all(root);
}

}  // namespace
}  // namespace dfx
