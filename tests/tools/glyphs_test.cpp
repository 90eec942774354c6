#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "glyph_tables.h"
#include "lcd/lcd.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
namespace fs = std::filesystem;

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
  const fs::path scratch = fs::temp_directory_path() / ("dfx-glyph-" + std::to_string(getpid()) + ".bmp");
  for (int n = 0; n < GlyphCount; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.bmp", n);
    const fs::path committed = fs::path(DFX_SOURCE_DIR) / "res/bmp" / name;
    PixelSurface picture;
    if (!RenderGlyph(n, &picture)) {
      EXPECT_FALSE(fs::exists(committed)) << committed << " is not generated";
      continue;
    }
    ASSERT_TRUE(portable::WriteBmp24(scratch.string().c_str(), picture));
    EXPECT_EQ(Bytes(committed), Bytes(scratch)) << committed << " differs: run dfx glyphs --out res/bmp";
  }
  fs::remove(scratch);
  // Every code the game draws has a picture.
  for (int n : {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 255, 256}) EXPECT_TRUE(GlyphDefined(n)) << n;
  for (int c = 32; c <= 126; ++c) EXPECT_TRUE(GlyphDefined(c)) << c;
  EXPECT_EQ(std::strlen(CreditLine), 19u);
}

TEST(GlyphSet, TheBlankFaceIsSpacesAndBlankDotsAndPicturesAreDistinct) {
  const PixelSurface face = Render(BlankFaceGlyph), space = Render(SpaceGlyph), blankDot = Render(BlankDotGlyph);
  ASSERT_EQ(std::pair(face.width, face.height), std::pair(640, 204));
  for (int r = 0; r < LcdRows * LcdColumns; ++r) {
    ASSERT_TRUE(Contains(face, CellPixelX(r % LcdColumns), CellPixelY(r / LcdColumns), space)) << r;
  }
  for (int i = 0; i < LcdDotsWide * LcdDotsHigh; ++i) {
    ASSERT_TRUE(Contains(face, DotPixel(i % LcdDotsWide), DotPixel(i / LcdDotsWide), blankDot)) << i;
  }
  // The margin is bare face: the screen reader finds the LCD by it.
  for (int x = 0; x < face.width; ++x) ASSERT_EQ(face.At(x, 0), FaceColour);
  for (int y = 0; y < face.height; ++y) ASSERT_EQ(face.At(0, y), FaceColour);
  EXPECT_NE(Render(DarkDotGlyph).pixels, blankDot.pixels);

  std::vector<PixelSurface> cells, squares;
  for (int n = 0; n < 256; ++n) {
    if (GlyphDefined(n)) (n >= 10 && n <= 15 ? squares : cells).push_back(Render(n));
  }
  for (auto* set : {&cells, &squares}) {
    for (size_t i = 0; i < set->size(); ++i) {
      for (size_t j = i + 1; j < set->size(); ++j) EXPECT_NE((*set)[i].pixels, (*set)[j].pixels) << i << " " << j;
    }
  }
  // Dot column 5 and dot row 7 stay unlit, so neighbouring characters never touch.
  for (const PixelSurface& s : cells) {
    if (s.width != CellWidth) continue;
    for (int y = 0; y < CellHeight; ++y) ASSERT_EQ(s.At(21, y), space.At(21, y));
    for (int x = 0; x < CellWidth; ++x) ASSERT_EQ(s.At(x, 29), space.At(x, 29));
  }
}

}  // namespace
}  // namespace dfx::tool
