// Every seed and every input that ever broke a fuzz target, replayed through the same
// bodies in the ordinary build, so a fault once found stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_targets.h"

namespace dfx::fuzz {
namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EverySeedAndRegressionPasses) {
  for (auto [target, body] : Targets) {
    int count = 0;
    for (const char* kind : {"regressions", "seeds"}) {
      const fs::path dir = fs::path(DFX_SOURCE_DIR) / "tests/fuzz" / kind / target;
      if (!fs::is_directory(dir)) continue;
      for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        std::fprintf(stderr, "replay %s\n", entry.path().string().c_str());  // names the input if the body aborts
        body(bytes.data(), bytes.size());
        ++count;
      }
    }
    EXPECT_GT(count, 0) << target;
  }
}

}  // namespace
}  // namespace dfx::fuzz
