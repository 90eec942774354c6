#include <gtest/gtest.h>

#include <cstring>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>


#include "glyph_tables.h"
#include "lcd/lcd.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
namespace fs = std::filesystem;

// Tells apart scratch files of test runs that share the temp directory.
std::string Stamp() { return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()); }

fs::path Committed(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.bmp", n);
  return fs::path(DFX_SOURCE_DIR) / "res/bmp" / name;
}

std::vector<char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

PixelSurface Render(int n) {
  PixelSurface s;
  EXPECT_TRUE(RenderGlyph(n, &s)) << n;
  return s;
}

bool Contains(const PixelSurface& a, int32_t ax, int32_t ay, const PixelSurface& b) {
  for (int32_t y = 0; y < b.height; ++y) {
    for (int32_t x = 0; x < b.width; ++x) {
      if (a.At(ax + x, ay + y) != b.At(x, y)) return false;
    }
  }
  return true;
}

TEST(GlyphSet, CommittedFilesAreExactlyTheGeneratorsOutput) {
  const fs::path scratch = fs::temp_directory_path() / ("dfx-glyph-" + Stamp() + ".bmp");
  for (int n = 0; n < GlyphCount; ++n) {
    PixelSurface picture;
    if (!RenderGlyph(n, &picture)) {
      EXPECT_FALSE(fs::exists(Committed(n))) << Committed(n) << " is not generated";
      continue;
    }
    ASSERT_TRUE(portable::WriteBmp24(scratch.string().c_str(), picture));
    EXPECT_EQ(Bytes(Committed(n)), Bytes(scratch)) << Committed(n) << " differs: run dfx glyphs --out res/bmp";
  }
  fs::remove(scratch);
  // 24-bit, uncompressed, bottom-up (positive height).
  const std::vector<char> header = Bytes(Committed(32));
  ASSERT_GE(header.size(), 54u);
  int32_t height = 0, compression = -1;
  std::memcpy(&height, &header[22], 4);
  std::memcpy(&compression, &header[30], 4);
  EXPECT_EQ(header[28] * 1000 + compression, 24000);
  EXPECT_EQ(height, CellHeight);
}

TEST(GlyphSet, SizesFitTheScreenAndTheBlankFaceIsSpacesAndBlankDots) {
  for (int n = 0; n < GlyphCount; ++n) {
    PixelSurface s;
    if (!RenderGlyph(n, &s)) continue;
    const int size = s.width * 1000 + s.height;
    const int expected = n <= 1 ? 4004 : n >= 10 && n <= 15 ? 20020 : n >= 255 ? 640204 : 24032;
    EXPECT_EQ(size, expected) << n;
  }
  const PixelSurface face = Render(BlankFaceGlyph);
  for (int r = 0; r < LcdRows; ++r) {
    for (int c = 0; c < LcdColumns; ++c) ASSERT_TRUE(Contains(face, CellPixelX(c), CellPixelY(r), Render(SpaceGlyph)));
  }
  const PixelSurface blankDot = Render(BlankDotGlyph);
  for (int i = 0; i < LcdDotsWide * LcdDotsHigh; ++i) {
    ASSERT_TRUE(Contains(face, DotPixelX(i % LcdDotsWide), DotPixelY(i / LcdDotsWide), blankDot));
  }
  // The margin is bare face: the screen reader finds the LCD by it.
  for (int x = 0; x < face.width; ++x) ASSERT_EQ(face.At(x, 0), FaceColour);
  for (int y = 0; y < face.height; ++y) ASSERT_EQ(face.At(0, y), FaceColour);
  EXPECT_NE(Render(DarkDotGlyph).pixels, blankDot.pixels);
}

TEST(GlyphSet, PicturesAreDistinctAndCharactersKeepTheirSpacingClear) {
  std::vector<int> cells;
  for (int n = 0; n < 256; ++n) {
    if (GlyphDefined(n) && Render(n).width == CellWidth) cells.push_back(n);
  }
  EXPECT_EQ(cells.size(), 95u + 4u);
  for (size_t i = 0; i < cells.size(); ++i) {
    for (size_t j = i + 1; j < cells.size(); ++j) EXPECT_NE(Render(cells[i]).pixels, Render(cells[j]).pixels);
  }
  for (int a = 10; a <= 15; ++a) {
    for (int b = a + 1; b <= 15; ++b) EXPECT_NE(Render(a).pixels, Render(b).pixels) << a << " and " << b;
  }
  // Dot column 5 and dot row 7 stay unlit, so neighbouring characters never touch.
  const PixelSurface space = Render(SpaceGlyph);
  for (int n : cells) {
    const PixelSurface s = Render(n);
    for (int y = 0; y < CellHeight; ++y) ASSERT_EQ(s.At(21, y), space.At(21, y)) << n;
    for (int x = 0; x < CellWidth; ++x) ASSERT_EQ(s.At(x, 29), space.At(x, 29)) << n;
  }
}

TEST(GlyphSet, EveryCharacterTheGamePrintsExists) {
  const char* texts[] = {"Discoflipparex V2.3D", "[1] YOU vs CPU", "[2] CPU vs YOU", "[R] RANDOM ", "LEVEL  (\x04\x05)",
                         "0123S", "OFFON ", "You (", "White)", "Black)", "CPU Lv ", "You Pass!", "Hit Any Key",
                         "[BS] UNDO", "UNDO:", "DRAW", "You Win", "You Lose", "CPU PASS   ", ":Book", ":Eval.",
                         ":Leaf", ":s", "\x02\x03", "0123456789-.e+", CreditLine};
  for (const char* text : texts) {
    for (const char* p = text; *p; ++p) EXPECT_TRUE(GlyphDefined(static_cast<uint8_t>(*p))) << text;
  }
  EXPECT_EQ(std::strlen(CreditLine), 19u);
}

}  // namespace
}  // namespace dfx::tool
