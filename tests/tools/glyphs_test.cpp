// The committed glyph set is exactly what the generator draws, so any change to the
// tables shows here (and `dfx glyphs --out res/bmp` writes the new set).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "glyph_tables.h"
#include "lcd/lcd.h"

namespace dfx::tool {
namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

TEST(GlyphSet, CommittedFilesAreExactlyTheGeneratorsOutput) {
  const fs::path scratch = fs::temp_directory_path() / ("dfx-glyph-" + std::to_string(getpid()) + ".bmp");
  for (int n = 0; n < GlyphCount; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.bmp", n);
    const fs::path committed = fs::path(DFX_SOURCE_DIR) / "res/bmp" / name;
    portable::PixelSurface picture;
    if (!RenderGlyph(n, &picture)) {
      EXPECT_FALSE(fs::exists(committed)) << committed << " is not generated";
      continue;
    }
    ASSERT_TRUE(portable::WriteBmp24(scratch.string().c_str(), picture));
    EXPECT_EQ(Bytes(committed), Bytes(scratch)) << committed << " differs: run dfx glyphs --out res/bmp";
  }
  fs::remove(scratch);
}

}  // namespace
}  // namespace dfx::tool
