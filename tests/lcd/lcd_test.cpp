#include "lcd/lcd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <utility>

#include <unistd.h>

#include "fake_screen.h"

namespace dfx {
namespace {

using testing::DrawCall;
using testing::FakeHost;
using Dot = std::pair<int, int>;

const std::string GlyphTemplate = std::string(DFX_SOURCE_DIR) + "/res/bmp/000.bmp";

struct LoadedLcd {
  FakeHost host;
  Lcd lcd;
  explicit LoadedLcd(const std::string& pathTemplate = GlyphTemplate) {
    lcd.CreateGlyphObjects(host);
    lcd.LoadGlyphSet(pathTemplate.c_str());
    lcd.padSpaces = std::string(15, ' ');
    host.screen.draws.clear();
  }
  const std::vector<DrawCall>& Draws() const { return host.screen.draws; }
};

// Cell (column, row) of a character draw, or (-99, -99) when it is not on the cell grid.
std::pair<int, int> CellOf(const DrawCall& d) {
  if ((d.x - LcdMargin) % CellWidth != 0 || (d.y - LcdMargin) % CellHeight != 0) return {-99, -99};
  return {(d.x - LcdMargin) / CellWidth, (d.y - LcdMargin) / CellHeight};
}

std::vector<Dot> DotsDrawn(const std::vector<DrawCall>& draws, int image = DarkDotGlyph) {
  std::vector<Dot> dots;
  for (const auto& d : draws) {
    EXPECT_EQ(d.image, image);
    EXPECT_EQ((d.x - LcdMargin) % DotPixels, 0);
    dots.emplace_back((d.x - LcdMargin) / DotPixels, (d.y - LcdMargin) / DotPixels);
  }
  return dots;
}

TEST(CharacterScreen, ThirtyCharactersFromRowZeroWrapToRowOne) {
  LoadedLcd t;
  t.lcd.LcdLocate(0, 0);
  t.lcd.LcdPrint("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  ASSERT_EQ(t.Draws().size(), 30u);
  for (int i = 0; i < 30; ++i) {
    const auto cell = CellOf(t.Draws()[size_t(i)]);
    EXPECT_EQ(cell, std::make_pair(i % 24, i / 24)) << "character " << i;
  }
  EXPECT_EQ(t.Draws()[24].image, 'Y');
  EXPECT_EQ(t.lcd.column, 6);
  EXPECT_EQ(t.lcd.row, 1);
}

TEST(CharacterScreen, TextPastTheLastRowOverwritesRowFive) {
  LoadedLcd t;
  t.lcd.LcdLocate(0, 5);
  t.lcd.LcdPrint(std::string(24, 'a') + "bcdefg");
  ASSERT_EQ(t.Draws().size(), 30u);
  for (int i = 24; i < 30; ++i) EXPECT_EQ(CellOf(t.Draws()[size_t(i)]), std::make_pair(i - 24, 5));
  EXPECT_EQ(t.lcd.column, 6);
  EXPECT_EQ(t.lcd.row, 5);
  // One character at column 23 of row 5 stays on row 5 too, at the left column.
  t.lcd.LcdLocate(23, 5);
  t.lcd.LcdPutChar('x', 9);
  EXPECT_EQ(t.lcd.column, 9);
  EXPECT_EQ(t.lcd.row, 5);
}

TEST(CharacterScreen, WrapReturnsToTheLeftColumnNotToZero) {
  LoadedLcd t;
  t.lcd.LcdLocate(21, 1);
  t.lcd.LcdPrint("\x03\x03\x03\x03\x03", 9);
  const std::vector<std::pair<int, int>> expected = {{21, 1}, {22, 1}, {23, 1}, {9, 2}, {10, 2}};
  ASSERT_EQ(t.Draws().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(CellOf(t.Draws()[i]), expected[i]);
    EXPECT_EQ(t.Draws()[i].image, 3);
  }
  EXPECT_EQ(t.lcd.column, 11);
  EXPECT_EQ(t.lcd.row, 2);
}

TEST(CharacterScreen, CursorBeyondTheRowWrapsOnTheNextCharacter) {
  LoadedLcd t;
  t.lcd.LcdLocate(30, 2);
  t.lcd.LcdPrint("AB", 4);
  ASSERT_EQ(t.Draws().size(), 2u);
  EXPECT_EQ(CellOf(t.Draws()[0]), std::make_pair(30, 2));
  EXPECT_EQ(CellOf(t.Draws()[1]), std::make_pair(4, 3));
  EXPECT_EQ(t.lcd.column, 5);
  EXPECT_EQ(t.lcd.row, 3);
}

TEST(CharacterScreen, EmptyTextDrawsNothingAndClearHomesTheCursor) {
  LoadedLcd t;
  t.lcd.LcdLocate(7, 3);
  t.lcd.LcdPrint("");
  EXPECT_TRUE(t.Draws().empty());
  EXPECT_EQ(t.lcd.column, 7);
  EXPECT_EQ(t.lcd.row, 3);
  t.lcd.LcdClear();
  ASSERT_EQ(t.Draws().size(), 1u);
  EXPECT_EQ(t.Draws()[0].image, BlankFaceGlyph);
  EXPECT_EQ(t.Draws()[0].x, 0);
  EXPECT_EQ(t.Draws()[0].y, 0);
  EXPECT_EQ(t.lcd.column, 0);
  EXPECT_EQ(t.lcd.row, 0);
}

TEST(CharacterScreen, BytesAboveTheAsciiRangeAreSeparateCodes) {
  LoadedLcd t;
  // A two-byte Shift-JIS character is two codes; neither has a picture, so two spaces.
  t.lcd.LcdPrint("\x82\xA0");
  ASSERT_EQ(t.Draws().size(), 2u);
  EXPECT_EQ(t.Draws()[0].image, SpaceGlyph);
  EXPECT_EQ(t.Draws()[1].image, SpaceGlyph);
  EXPECT_EQ(t.lcd.column, 2);
}

std::vector<int> ImagesDrawn(const LoadedLcd& t) {
  std::vector<int> images;
  for (const auto& d : t.Draws()) images.push_back(d.image);
  return images;
}

TEST(PrintNumber, PadsOnTheLeftAndNeverCuts) {
  LoadedLcd t;
  t.lcd.LcdLocate(12, 4);
  t.lcd.LcdPrintNumber(6, 42);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{' ', ' ', ' ', ' ', '4', '2'}));
  EXPECT_EQ(CellOf(t.Draws().back()), std::make_pair(17, 4));

  t.host.screen.draws.clear();
  t.lcd.LcdPrintNumber(2, -12);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'-', '1', '2'}));

  t.host.screen.draws.clear();
  t.lcd.LcdPrintNumber(2, 7);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{' ', '7'}));

  t.host.screen.draws.clear();
  t.lcd.LcdPrintNumber(-3, 7);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'7'}));
}

TEST(PrintNumber, FillComesOnlyFromPadSpacesAndStopsAtItsEnd) {
  LoadedLcd t;
  t.lcd.padSpaces = "abcdefghijklmno";
  t.lcd.LcdPrintNumber(4, 1);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'a', 'b', 'c', '1'}));

  // A field wider than the fill allows gets all 15 fill characters, nothing beyond.
  t.host.screen.draws.clear();
  t.lcd.LcdLocate(0, 0);
  t.lcd.LcdPrintNumber(300, 5);
  ASSERT_EQ(t.Draws().size(), 16u);
  EXPECT_EQ(t.Draws()[14].image, 'o');
  EXPECT_EQ(t.Draws()[15].image, '5');

  t.host.screen.draws.clear();
  t.lcd.padSpaces.clear();
  t.lcd.LcdPrintNumber(6, 5);
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'5'}));
}

TEST(PrintNumber, WrapsToColumnZero) {
  LoadedLcd t;
  t.lcd.LcdLocate(22, 0);
  t.lcd.LcdPrintNumber(4, 1234);
  ASSERT_EQ(t.Draws().size(), 4u);
  EXPECT_EQ(CellOf(t.Draws()[2]), std::make_pair(0, 1));
}

TEST(Dots, PlotOnlyInsideTheDotArea) {
  LoadedLcd t;
  t.lcd.LcdPlotDot(143.9, 47.9, 1);
  t.lcd.LcdPlotDot(0.5, 0.99, 1);
  t.lcd.LcdPlotDot(144, 0, 1);
  t.lcd.LcdPlotDot(-0.1, 0, 1);
  t.lcd.LcdPlotDot(0, 48, 1);
  t.lcd.LcdPlotDot(143.5, -1e-9, 1);
  t.lcd.LcdPlotDot(std::nan(""), 3, 1);
  t.lcd.LcdPlotDot(3, 3, -1);   // no image behind a negative mode
  t.lcd.LcdPlotDot(3, 3, 7);    // a mode whose image was never loaded
  EXPECT_EQ(DotsDrawn(t.Draws()), (std::vector<Dot>{{143, 47}, {0, 0}}));
  t.host.screen.draws.clear();
  t.lcd.LcdPlotDot(2, 2, 0);
  EXPECT_EQ(DotsDrawn(t.Draws(), BlankDotGlyph), (std::vector<Dot>{{2, 2}}));
}

TEST(Dots, BoardSeparatorDrawsFortyEightDots) {
  LoadedLcd t;
  t.lcd.LcdLine(49, 0, 49, 48, 1);
  const auto dots = DotsDrawn(t.Draws());
  ASSERT_EQ(dots.size(), 48u);
  for (int y = 0; y < 48; ++y) EXPECT_EQ(dots[size_t(y)], Dot(49, y));
}

TEST(Dots, LinesStepAlongTheLongerAxisAndRepeatTheEndPoint) {
  LoadedLcd t;
  t.lcd.LcdLine(0, 0, 3, 1, 1);
  EXPECT_EQ(DotsDrawn(t.Draws()), (std::vector<Dot>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {3, 1}}));
  t.host.screen.draws.clear();
  t.lcd.LcdLine(0, 0, 2, 2, 1);
  EXPECT_EQ(DotsDrawn(t.Draws()), (std::vector<Dot>{{0, 0}, {1, 1}, {2, 2}, {2, 2}}));
  t.host.screen.draws.clear();
  t.lcd.LcdLine(3, 1, 0, 0, 1);
  EXPECT_EQ(DotsDrawn(t.Draws()), (std::vector<Dot>{{3, 1}, {2, 0}, {1, 0}, {0, 0}, {0, 0}}));
  t.host.screen.draws.clear();
  t.lcd.LcdLine(1, 5, 0, 0, 1);
  EXPECT_EQ(DotsDrawn(t.Draws()),
            (std::vector<Dot>{{1, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}, {0, 0}}));
  t.host.screen.draws.clear();
  t.lcd.LcdLine(5, 5, 5, 5, 1);
  EXPECT_TRUE(t.Draws().empty());
}

TEST(Dots, LinesAreClippedDotByDotAndAbsurdOnesRefused) {
  LoadedLcd t;
  t.lcd.LcdLine(-10, 5, 200, 5, 1);
  const auto dots = DotsDrawn(t.Draws());
  ASSERT_EQ(dots.size(), 144u);
  EXPECT_EQ(dots.front(), Dot(0, 5));
  EXPECT_EQ(dots.back(), Dot(143, 5));

  t.host.screen.draws.clear();
  const double inf = std::numeric_limits<double>::infinity();
  t.lcd.LcdLine(-inf, 0, 10, 0, 1);
  t.lcd.LcdLine(0, 0, std::nan(""), 3, 1);
  t.lcd.LcdLine(-1e300, 1, 1e300, 1, 1);
  EXPECT_TRUE(t.Draws().empty());
}

TEST(Dots, BoxDrawsItsOutlineEdgeByEdge) {
  LoadedLcd t;
  t.lcd.LcdBox(0, 0, 6, 6, 1);
  const auto dots = DotsDrawn(t.Draws());
  const std::set<Dot> distinct(dots.begin(), dots.end());
  EXPECT_EQ(distinct.size(), 24u);
  for (const auto& [x, y] : distinct) EXPECT_TRUE(x == 0 || x == 6 || y == 0 || y == 6) << x << "," << y;
  // Top edge first, then the left edge, then the right, then the bottom.
  EXPECT_EQ(dots[0], Dot(0, 0));
  EXPECT_EQ(dots[7], Dot(6, 0));
  EXPECT_EQ(dots[8], Dot(0, 0));
  EXPECT_EQ(dots[16], Dot(6, 0));
  EXPECT_EQ(dots.back(), Dot(6, 6));

  t.host.screen.draws.clear();
  t.lcd.LcdBox(6, 0, 12, 6, 1);
  const auto next = DotsDrawn(t.Draws());
  std::set<Dot> both = distinct;
  both.insert(next.begin(), next.end());
  EXPECT_EQ(both.size(), 24u + 24u - 7u);  // adjacent squares share one edge
}

// A glyph directory holding copies of only some of the real files.
std::string PartialGlyphDir(const std::string& name, const std::set<int>& keep) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("dfx-lcd-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (int n : keep) {
    char file[16];
    std::snprintf(file, sizeof file, "%03d.bmp", n);
    fs::copy_file(fs::path(DFX_SOURCE_DIR) / "res/bmp" / file, dir / file);
  }
  return dir.string();
}

TEST(GlyphSet, LoadsEveryNumberInOrderFromTheTemplate) {
  LoadedLcd t;
  const auto& loads = t.host.screen.loads;
  ASSERT_EQ(loads.size(), 257u);
  EXPECT_EQ(loads[7], std::string(DFX_SOURCE_DIR) + "/res/bmp/007.bmp");
  EXPECT_EQ(loads[42], std::string(DFX_SOURCE_DIR) + "/res/bmp/042.bmp");
  EXPECT_EQ(loads[256], std::string(DFX_SOURCE_DIR) + "/res/bmp/256.bmp");
  int loaded = 0;
  for (int n = 0; n < GlyphCount; ++n) {
    const bool present = std::filesystem::exists(loads[size_t(n)]);
    EXPECT_EQ(t.lcd.glyphExists[size_t(n)], present ? 1 : 0) << n;
    loaded += present;
  }
  EXPECT_EQ(t.host.screen.bindings, loaded);
  EXPECT_EQ(t.lcd.glyphExists[SpaceGlyph], 1);
  EXPECT_EQ(t.lcd.glyphExists[BlankFaceGlyph], 1);
}

TEST(GlyphSet, MissingCharactersShowTheSpace) {
  const std::string dir = PartialGlyphDir("nospace-a", {32, 65, 255});
  LoadedLcd t(dir + "/000.bmp");
  t.lcd.LcdPrint("AB");
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'A', SpaceGlyph}));
  // The space really paints over what was in the cell.
  t.lcd.LcdLocate(0, 0);
  t.lcd.LcdPrint("A");
  const uint32_t inkOfA = t.host.screen.surface.At(CellPixelX(0) + 8, CellPixelY(0));
  t.lcd.LcdLocate(0, 0);
  t.lcd.LcdPutChar('B', 0);
  EXPECT_NE(t.host.screen.surface.At(CellPixelX(0) + 8, CellPixelY(0)), inkOfA);
  std::filesystem::remove_all(dir);
}

TEST(GlyphSet, WithoutTheSpaceMissingCharactersLeaveTheCellAlone) {
  const std::string dir = PartialGlyphDir("nospace-b", {65});
  LoadedLcd t(dir + "/000.bmp");
  t.lcd.LcdPrint("BAB");
  EXPECT_EQ(ImagesDrawn(t), (std::vector<int>{'A'}));
  EXPECT_EQ(CellOf(t.Draws()[0]), std::make_pair(1, 0));
  EXPECT_EQ(t.lcd.column, 3);
  std::filesystem::remove_all(dir);
}

TEST(GlyphSet, MissingDirectoryLoadsNothingAndDrawsNothing) {
  LoadedLcd t("/nonexistent-dfx-dir/res/bmp/000.bmp");
  for (uint8_t flag : t.lcd.glyphExists) EXPECT_EQ(flag, 0);
  EXPECT_EQ(t.host.screen.bindings, 0);
  t.lcd.LcdClear();
  t.lcd.LcdPrint("You Win");
  t.lcd.LcdLine(49, 0, 49, 48, 1);
  t.lcd.LcdPrintNumber(6, 1.5);
  EXPECT_TRUE(t.Draws().empty());
  EXPECT_EQ(t.lcd.column, 13);
  for (uint32_t p : t.host.screen.surface.pixels) ASSERT_EQ(p, 0u);
}

TEST(GlyphSet, WithoutObjectsOrTemplateNothingHappens) {
  Lcd lcd;
  lcd.LoadGlyphSet(GlyphTemplate.c_str());
  lcd.LcdPrint("abc");
  lcd.LcdBox(0, 0, 6, 6, 1);
  lcd.LcdClear();
  EXPECT_EQ(lcd.column, 0);
  FakeHost host;
  lcd.CreateGlyphObjects(host);
  lcd.LoadGlyphSet(nullptr);
  lcd.LoadGlyphSet("res/bmp/glyph.bmp");
  EXPECT_TRUE(host.screen.loads.empty());
}

}  // namespace
}  // namespace dfx
