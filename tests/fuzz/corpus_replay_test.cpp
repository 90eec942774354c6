// Every seed and every input that ever broke a fuzz target, replayed through the same
// bodies in the ordinary build, so a fault once found stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_targets.h"

namespace dfx::fuzz {
namespace {

TEST(FuzzCorpus, EverySeedAndRegressionPasses) {
  for (auto [target, body] : Targets) {
    int count = 0;
    for (const char* kind : {"regressions", "seeds"}) {
      std::error_code none;  // a target without regressions has no folder for them
      for (const auto& entry : std::filesystem::directory_iterator(
               std::filesystem::path(DFX_SOURCE_DIR "/tests/fuzz") / kind / target, none)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        std::fprintf(stderr, "replay %s\n",
                     entry.path().string().c_str());  // names the input if the body aborts
        body(bytes.data(), bytes.size()), ++count;
      }
    }
    EXPECT_GT(count, 0) << target;
  }
}

}  // namespace
}  // namespace dfx::fuzz
