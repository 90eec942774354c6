// Every input that ever broke a fuzz target, and every seed, replayed through the
// same bodies in the ordinary build, so a fault once found stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_targets.h"

namespace dfx::fuzz {
namespace {

namespace fs = std::filesystem;
using Body = int (*)(const uint8_t*, size_t);

// Runs every file under tests/fuzz/<kind>/<target>; returns how many there were.
int ReplayAll(const char* target, Body body) {
  int count = 0;
  for (const char* kind : {"regressions", "seeds"}) {
    const fs::path dir = fs::path(DFX_SOURCE_DIR) / "tests" / "fuzz" / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(entry.path().string());
      // The body aborts on a broken invariant; a crash names the file in the log.
      std::fprintf(stderr, "replay %s\n", entry.path().c_str());
      body(bytes.data(), bytes.size());
      ++count;
    }
  }
  return count;
}

TEST(FuzzCorpus, StartPositionInputs) { EXPECT_GT(ReplayAll("start_position", FuzzStartPosition), 0); }
TEST(FuzzCorpus, PictureLoadInputs) { EXPECT_GT(ReplayAll("picture_load", FuzzPictureLoad), 0); }
TEST(FuzzCorpus, ScreenBmpInputs) { EXPECT_GT(ReplayAll("screen_bmp", FuzzScreenBmp), 0); }

}  // namespace
}  // namespace dfx::fuzz
