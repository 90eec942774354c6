#include "lcd/lcd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <chrono>
#include <filesystem>
#include <set>
#include <utility>


#include "fake_screen.h"

namespace dfx {
namespace {

namespace fs = std::filesystem;

// Tells apart scratch files of test runs that share the temp directory.
std::string Stamp() { return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()); }
using Place = std::pair<int, int>;

struct LcdUnderTest {
  testing::LoggingHost host;
  Lcd lcd;
  explicit LcdUnderTest(const std::string& pathTemplate = DFX_SOURCE_DIR "/res/bmp/000.bmp") {
    lcd.CreateGlyphObjects(host);
    lcd.LoadGlyphSet(pathTemplate.c_str());
    lcd.padSpaces = std::string(15, ' ');
  }
  // Images drawn since the last call, and where: cells for characters, dots for dots.
  std::vector<int> Images() {
    std::vector<int> images;
    for (const auto& d : host.log.draws) images.push_back(d.image);
    return images;
  }
  std::vector<Place> Take(int pitchX, int pitchY) {
    std::vector<Place> places;
    for (const auto& d : host.log.draws) places.emplace_back((d.x - LcdMargin) / pitchX, (d.y - LcdMargin) / pitchY);
    host.log.draws.clear();
    return places;
  }
  std::vector<Place> Cells() { return Take(CellWidth, CellHeight); }
  std::vector<Place> Dots() { return Take(DotPixels, DotPixels); }
};

TEST(CharacterScreen, WrapsToTheLeftColumnAndClampsAtTheLastRow) {
  LcdUnderTest t;
  t.lcd.LcdLocate(0, 0);
  t.lcd.LcdPrint("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  auto cells = t.Cells();
  ASSERT_EQ(cells.size(), 30u);
  EXPECT_EQ(cells[23], Place(23, 0));
  EXPECT_EQ(cells[24], Place(0, 1));
  EXPECT_EQ(Place(t.lcd.column, t.lcd.row), Place(6, 1));

  t.lcd.LcdLocate(0, 5);
  t.lcd.LcdPrint(std::string(30, 'x'));
  cells = t.Cells();
  EXPECT_EQ(cells[29], Place(5, 5));
  EXPECT_EQ(Place(t.lcd.column, t.lcd.row), Place(6, 5));

  // The search's marks wrap inside the panel, never to column 0.
  t.lcd.LcdLocate(22, 1);
  t.lcd.LcdPrint("\x03\x03\x03", 9);
  EXPECT_EQ(t.Images(), (std::vector<int>{3, 3, 3}));
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{22, 1}, {23, 1}, {9, 2}}));
  t.lcd.LcdLocate(23, 5);
  t.lcd.LcdPutChar('.', 9);
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{23, 5}}));
  EXPECT_EQ(Place(t.lcd.column, t.lcd.row), Place(9, 5));

  // A cursor placed beyond the row draws there once, then wraps.
  t.lcd.LcdLocate(30, 2);
  t.lcd.LcdPrint("AB", 4);
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{30, 2}, {4, 3}}));
}

TEST(CharacterScreen, EmptyTextShiftJisBytesAndClear) {
  LcdUnderTest t;
  t.lcd.LcdLocate(7, 3);
  t.lcd.LcdPrint("");
  EXPECT_TRUE(t.host.log.draws.empty());
  // A two-byte character is two codes without pictures: two spaces.
  t.lcd.LcdPrint("\x82\xA0");
  EXPECT_EQ(t.Images(), (std::vector<int>{SpaceGlyph, SpaceGlyph}));
  t.host.log.draws.clear();
  t.lcd.LcdClear();
  EXPECT_EQ(t.Images(), (std::vector<int>{BlankFaceGlyph}));
  EXPECT_EQ(t.host.log.draws[0].x + t.host.log.draws[0].y, 0);
  EXPECT_EQ(Place(t.lcd.column, t.lcd.row), Place(0, 0));
}

TEST(CharacterScreen, NumbersArePaddedFromPadSpacesAndNeverCut) {
  LcdUnderTest t;
  auto printed = [&](int16_t width, double value) {
    t.host.log.draws.clear();
    t.lcd.LcdPrintNumber(width, value);
    std::string s;
    for (int image : t.Images()) s += char(image);
    return s;
  };
  EXPECT_EQ(printed(6, 42), "    42");
  EXPECT_EQ(printed(2, -12), "-12");
  EXPECT_EQ(printed(2, 7), " 7");
  EXPECT_EQ(printed(-3, 7), "7");
  t.lcd.padSpaces = "abcdefghijklmno";
  EXPECT_EQ(printed(4, 1), "abc1");
  EXPECT_EQ(printed(300, 5), "abcdefghijklmno5");
  t.lcd.padSpaces.clear();
  EXPECT_EQ(printed(6, 5), "5");
  t.lcd.LcdLocate(22, 0);
  t.host.log.draws.clear();
  t.lcd.LcdPrintNumber(4, 1234);
  EXPECT_EQ(t.Cells()[2], Place(0, 1));
}

TEST(DotGraphics, PlotsOnlyWhatFloorsOntoTheDotArea) {
  LcdUnderTest t;
  for (auto [x, y] : {std::pair{143.9, 47.9}, {0.5, 0.99}, {144.0, 0.0}, {-0.1, 0.0}, {0.0, 48.0}, {std::nan(""), 3.0}}) {
    t.lcd.LcdPlotDot(x, y, 1);
  }
  t.lcd.LcdPlotDot(3, 3, -1);  // no image behind these modes
  t.lcd.LcdPlotDot(3, 3, 7);
  EXPECT_EQ(t.Images(), (std::vector<int>{1, 1}));
  EXPECT_EQ(t.Dots(), (std::vector<Place>{{143, 47}, {0, 0}}));
}

TEST(DotGraphics, LinesStepTheLongerAxisAndRepeatTheEndPoint) {
  LcdUnderTest t;
  t.lcd.LcdLine(49, 0, 49, 48, 1);
  const auto separator = t.Dots();
  ASSERT_EQ(separator.size(), 48u);
  EXPECT_EQ(separator.back(), Place(49, 47));
  t.lcd.LcdLine(0, 0, 3, 1, 1);
  EXPECT_EQ(t.Dots(), (std::vector<Place>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {3, 1}}));
  t.lcd.LcdLine(0, 0, 2, 2, 1);
  EXPECT_EQ(t.Dots(), (std::vector<Place>{{0, 0}, {1, 1}, {2, 2}, {2, 2}}));
  t.lcd.LcdLine(1, 5, 0, 0, 1);
  EXPECT_EQ(t.Dots(), (std::vector<Place>{{1, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}, {0, 0}}));
  t.lcd.LcdLine(5, 5, 5, 5, 1);
  EXPECT_TRUE(t.Dots().empty());
  // Clipped dot by dot; lines with no end or no sane length are refused.
  t.lcd.LcdLine(-10, 5, 200, 5, 1);
  EXPECT_EQ(t.Dots().size(), 144u);
  t.lcd.LcdLine(-INFINITY, 0, 10, 0, 1);
  t.lcd.LcdLine(0, 0, NAN, 3, 1);
  t.lcd.LcdLine(-1e300, 1, 1e300, 1, 1);
  EXPECT_TRUE(t.Dots().empty());
}

TEST(DotGraphics, BoxDrawsItsEdgesInOrder) {
  LcdUnderTest t;
  t.lcd.LcdBox(0, 0, 6, 6, 1);
  const auto dots = t.Dots();
  const std::set<Place> outline(dots.begin(), dots.end());
  EXPECT_EQ(outline.size(), 24u);
  for (const auto& [x, y] : outline) EXPECT_TRUE(x == 0 || x == 6 || y == 0 || y == 6);
  // Top, left, right, bottom: eight draws each.
  EXPECT_EQ((std::vector<Place>{dots[7], dots[8], dots[16], dots[24], dots[31]}),
            (std::vector<Place>{{6, 0}, {0, 0}, {6, 0}, {0, 6}, {6, 6}}));
  t.lcd.LcdBox(6, 0, 12, 6, 1);
  std::set<Place> both = outline;
  for (const auto& p : t.Dots()) both.insert(p);
  EXPECT_EQ(both.size(), 24u + 24u - 7u);
}

// A glyph directory holding only some of the real files.
fs::path PartialSet(const std::string& name, const std::set<int>& keep) {
  const fs::path dir = fs::temp_directory_path() / ("dfx-lcd-" + name + "-" + Stamp());
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (int n : keep) {
    char file[16];
    std::snprintf(file, sizeof file, "%03d.bmp", n);
    fs::copy_file(fs::path(DFX_SOURCE_DIR) / "res/bmp" / file, dir / file);
  }
  return dir;
}

TEST(GlyphSet, LoadsEveryNumberInOrderAndFlagsWhatLoaded) {
  LcdUnderTest t;
  const auto& loads = t.host.log.loads;
  ASSERT_EQ(loads.size(), 257u);
  EXPECT_EQ(loads[7], DFX_SOURCE_DIR "/res/bmp/007.bmp");
  EXPECT_EQ(loads[42], DFX_SOURCE_DIR "/res/bmp/042.bmp");
  EXPECT_EQ(loads[256], DFX_SOURCE_DIR "/res/bmp/256.bmp");
  int loaded = 0;
  for (int n = 0; n < GlyphCount; ++n) {
    EXPECT_EQ(t.lcd.glyphExists[size_t(n)], fs::exists(loads[size_t(n)]) ? 1 : 0) << n;
    loaded += t.lcd.glyphExists[size_t(n)];
  }
  EXPECT_EQ(t.host.log.bindings, loaded);
}

TEST(GlyphSet, MissingGlyphsFallBackToTheSpaceOrToNothing) {
  const fs::path a = PartialSet("a", {32, 65}), b = PartialSet("b", {65});
  LcdUnderTest withSpace((a / "000.bmp").string());
  withSpace.lcd.LcdPrint("AB");
  EXPECT_EQ(withSpace.Images(), (std::vector<int>{'A', SpaceGlyph}));

  LcdUnderTest withoutSpace((b / "000.bmp").string());
  withoutSpace.lcd.LcdPrint("BAB");
  EXPECT_EQ(withoutSpace.Images(), (std::vector<int>{'A'}));
  EXPECT_EQ(withoutSpace.Cells(), (std::vector<Place>{{1, 0}}));
  EXPECT_EQ(withoutSpace.lcd.column, 3);
  fs::remove_all(a);
  fs::remove_all(b);

  LcdUnderTest none("/nonexistent-dfx/res/bmp/000.bmp");
  for (uint8_t flag : none.lcd.glyphExists) EXPECT_EQ(flag, 0);
  none.lcd.LcdClear();
  none.lcd.LcdPrint("You Win");
  none.lcd.LcdLine(49, 0, 49, 48, 1);
  EXPECT_TRUE(none.host.log.draws.empty());
  EXPECT_EQ(none.lcd.column, 7);

  // No objects at all, or a template without digits: nothing loads, nothing breaks.
  Lcd bare;
  bare.LoadGlyphSet(DFX_SOURCE_DIR "/res/bmp/000.bmp");
  bare.LcdPrint("abc");
  bare.LcdBox(0, 0, 6, 6, 1);
  testing::LoggingHost host;
  bare.CreateGlyphObjects(host);
  bare.LoadGlyphSet(nullptr);
  bare.LoadGlyphSet("res/bmp/glyph.bmp");
  EXPECT_TRUE(host.log.loads.empty());
}

}  // namespace
}  // namespace dfx
