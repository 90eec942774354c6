#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "glyph_tables.h"
#include "lcd/lcd.h"
#include "lcd/screen_reader.h"

namespace dfx::tool {
namespace {

using portable::PixelSurface;
namespace fs = std::filesystem;

const fs::path GlyphDir = fs::path(DFX_SOURCE_DIR) / "res/bmp";

std::string FileName(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d.bmp", n);
  return name;
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

bool SamePixels(const PixelSurface& a, int32_t ax, int32_t ay, const PixelSurface& b) {
  for (int32_t y = 0; y < b.height; ++y) {
    for (int32_t x = 0; x < b.width; ++x) {
      if (a.At(ax + x, ay + y) != b.At(x, y)) return false;
    }
  }
  return true;
}

TEST(GlyphSet, CommittedFilesAreExactlyTheGeneratorsOutput) {
  const fs::path scratch = fs::temp_directory_path() / ("dfx-glyph-" + std::to_string(::getpid()) + ".bmp");
  for (int n = 0; n < GlyphCount; ++n) {
    const fs::path committed = GlyphDir / FileName(n);
    PixelSurface picture;
    if (!RenderGlyph(n, &picture)) {
      EXPECT_FALSE(fs::exists(committed)) << committed << " is not generated";
      continue;
    }
    ASSERT_TRUE(portable::WriteBmp24(scratch.c_str(), picture));
    EXPECT_EQ(Bytes(committed), Bytes(scratch)) << committed << " differs; run dfx glyphs --out res/bmp";
  }
  fs::remove(scratch);
}

TEST(GlyphSet, FilesAreUncompressedBottomUp24BitBitmaps) {
  for (int n : {0, 10, 32, 255}) {
    const std::vector<char> b = Bytes(GlyphDir / FileName(n));
    ASSERT_GE(b.size(), 54u);
    auto le32 = [&](size_t at) {
      uint32_t v = 0;
      std::memcpy(&v, &b[at], 4);
      return v;
    };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[28], 24);
    EXPECT_EQ(le32(30), 0u);
    EXPECT_GT(int32_t(le32(22)), 0);
    PixelSurface decoded;
    ASSERT_TRUE(ReadBmpFile((GlyphDir / FileName(n)).string(), &decoded));
    const PixelSurface expected = Render(n);
    EXPECT_EQ(decoded.width, expected.width);
    EXPECT_EQ(decoded.pixels, expected.pixels) << n;
  }
}

TEST(GlyphSet, PicturesHaveTheSizesTheScreenExpects) {
  for (int n = 0; n < GlyphCount; ++n) {
    PixelSurface s;
    if (!RenderGlyph(n, &s)) continue;
    if (n <= 1) {
      EXPECT_EQ(s.width * 100 + s.height, 404) << n;
    } else if (n >= 10 && n <= 15) {
      EXPECT_EQ(s.width * 100 + s.height, 2020) << n;
    } else if (n >= 255) {
      EXPECT_EQ(s.width * 1000 + s.height, 640204) << n;
    } else {
      EXPECT_EQ(s.width * 100 + s.height, 2432) << n;
    }
  }
}

TEST(GlyphSet, UntouchedFaceReadsAsSpacesAndBlankDots) {
  const PixelSurface face = Render(BlankFaceGlyph);
  const PixelSurface space = Render(SpaceGlyph);
  const PixelSurface blankDot = Render(BlankDotGlyph);
  for (int r = 0; r < LcdRows; ++r) {
    for (int c = 0; c < LcdColumns; ++c) {
      ASSERT_TRUE(SamePixels(face, CellPixelX(c), CellPixelY(r), space)) << c << "," << r;
    }
  }
  for (int y = 0; y < LcdDotsHigh; ++y) {
    for (int x = 0; x < LcdDotsWide; ++x) ASSERT_TRUE(SamePixels(face, DotPixelX(x), DotPixelY(y), blankDot));
  }
  // The margin is bare face, so the reader can find the LCD by it.
  for (int x = 0; x < face.width; ++x) EXPECT_EQ(face.At(x, 0), FaceColour);
  for (int y = 0; y < face.height; ++y) EXPECT_EQ(face.At(0, y), FaceColour);
  EXPECT_NE(Render(DarkDotGlyph).pixels, blankDot.pixels);
}

TEST(GlyphSet, EveryCellPictureAndEverySquarePictureIsDistinct) {
  std::vector<int> cells;
  for (int n = 0; n < 256; ++n) {
    PixelSurface s;
    if (RenderGlyph(n, &s) && s.width == CellWidth) cells.push_back(n);
  }
  EXPECT_EQ(cells.size(), 95u + 4u);
  for (size_t i = 0; i < cells.size(); ++i) {
    for (size_t j = i + 1; j < cells.size(); ++j) {
      EXPECT_NE(Render(cells[i]).pixels, Render(cells[j]).pixels) << cells[i] << " and " << cells[j];
    }
  }
  for (int a = 10; a <= 15; ++a) {
    for (int b = a + 1; b <= 15; ++b) EXPECT_NE(Render(a).pixels, Render(b).pixels) << a << " and " << b;
  }
}

TEST(GlyphSet, CharactersKeepTheirSpacingColumnAndRowClear) {
  const PixelSurface space = Render(SpaceGlyph);
  for (int n : {2, 3, 4, 5}) {
    const PixelSurface s = Render(n);
    for (int y = 0; y < CellHeight; ++y) EXPECT_EQ(s.At(CellWidth - 2, y), space.At(CellWidth - 2, y)) << n;
  }
  for (int n = 33; n <= 126; ++n) {
    const PixelSurface s = Render(n);
    for (int y = 0; y < CellHeight; ++y) ASSERT_EQ(s.At(21, y), space.At(21, y)) << char(n);
    for (int x = 0; x < CellWidth; ++x) ASSERT_EQ(s.At(x, 29), space.At(x, 29)) << char(n);
    EXPECT_NE(s.pixels, space.pixels) << char(n);
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
