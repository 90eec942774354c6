#include "lcd/lcd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>

namespace dfx {
namespace {

namespace fs = std::filesystem;
using Place = std::pair<int, int>;

// Image objects that decode nothing: a load succeeds when the file exists, and every
// draw of a loaded object is logged with its image number (creation order) and place.
struct LoggingFactory : ImageFactory {
  struct DrawCall {
    int image;
    int32_t x, y;
  };
  std::vector<DrawCall> draws;
  std::vector<std::string> loads;
  int bindings = 0, created = 0;
  std::unique_ptr<Image> CreateImage() override;
};

struct LoggingImage : Image {
  LoggingFactory* host;
  int id;
  bool loaded = false;
  LoggingImage(LoggingFactory* h, int n) : host(h), id(n) {}
  int32_t Load(const char* path) override {
    host->loads.push_back(path);
    return loaded = fs::exists(path);
  }
  void BindToWindow() override { ++host->bindings; }
  int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
    if (loaded) host->draws.push_back({id, x, y});
    return loaded;
  }
  int32_t BitmapWidth() const override { return 0; }
  int32_t BitmapHeight() const override { return 0; }
  int32_t SetCaptureDelay(int32_t) override { return 1; }
};

std::unique_ptr<Image> LoggingFactory::CreateImage() { return std::make_unique<LoggingImage>(this, created++); }

struct LcdUnderTest {
  LoggingFactory host;
  Lcd lcd;
  explicit LcdUnderTest(const std::string& pathTemplate = DFX_SOURCE_DIR "/res/bmp/000.bmp") {
    lcd.CreateGlyphObjects(host);
    lcd.LoadGlyphSet(pathTemplate.c_str());
    lcd.padSpaces = std::string(15, ' ');
  }
  std::vector<int> Images() {
    std::vector<int> images;
    for (const auto& d : host.draws) images.push_back(d.image);
    return images;
  }
  // Places drawn since the last call: cells for characters, dots for dots.
  std::vector<Place> Take(int pitchX, int pitchY) {
    std::vector<Place> places;
    for (const auto& d : host.draws) places.emplace_back((d.x - LcdMargin) / pitchX, (d.y - LcdMargin) / pitchY);
    host.draws.clear();
    return places;
  }
  std::vector<Place> Cells() { return Take(CellWidth, CellHeight); }
  std::vector<Place> Dots() { return Take(DotPixels, DotPixels); }
  Place Cursor() const { return {lcd.column, lcd.row}; }
};

TEST(CharacterScreen, WrapsToTheLeftColumnAndClampsAtTheLastRow) {
  LcdUnderTest t;
  t.lcd.LcdPrint("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  auto cells = t.Cells();
  ASSERT_EQ(cells.size(), 30u);
  EXPECT_EQ(cells[23], Place(23, 0));
  EXPECT_EQ(cells[24], Place(0, 1));
  EXPECT_EQ(t.Cursor(), Place(6, 1));
  t.lcd.LcdLocate(0, 5);
  t.lcd.LcdPrint(std::string(30, 'x'));
  EXPECT_EQ(t.Cells()[29], Place(5, 5));
  EXPECT_EQ(t.Cursor(), Place(6, 5));
  // Wraps inside the panel, never to column 0.
  t.lcd.LcdLocate(22, 1);
  t.lcd.LcdPrint("\x03\x03\x03", 9);
  EXPECT_EQ(t.Images(), (std::vector<int>{3, 3, 3}));
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{22, 1}, {23, 1}, {9, 2}}));
  t.lcd.LcdLocate(23, 5);
  t.lcd.LcdPutChar('.', 9);
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{23, 5}}));
  EXPECT_EQ(t.Cursor(), Place(9, 5));
  // A cursor beyond the row draws there once, then wraps.
  t.lcd.LcdLocate(30, 2);
  t.lcd.LcdPrint("AB", 4);
  EXPECT_EQ(t.Cells(), (std::vector<Place>{{30, 2}, {4, 3}}));
}

TEST(CharacterScreen, EmptyTextShiftJisBytesClearAndNumbers) {
  LcdUnderTest t;
  t.lcd.LcdLocate(7, 3);
  t.lcd.LcdPrint("");
  EXPECT_TRUE(t.host.draws.empty());
  t.lcd.LcdPrint("\x82\xA0");  // two codes without pictures: two spaces
  EXPECT_EQ(t.Images(), (std::vector<int>{SpaceGlyph, SpaceGlyph}));
  t.host.draws.clear();
  t.lcd.LcdClear();
  EXPECT_EQ(t.Images(), (std::vector<int>{BlankFaceGlyph}));
  EXPECT_EQ(t.host.draws[0].x + t.host.draws[0].y, 0);
  EXPECT_EQ(t.Cursor(), Place(0, 0));

  // Padding comes from padSpaces alone, at most 15, and never cuts the number.
  const std::string fifteen(15, ' '), letters = "abcdefghijklmno";
  for (const auto& [pad, width, value, want] :
       {std::tuple{fifteen, 6, 42.0, "    42"}, {fifteen, 2, -12.0, "-12"}, {fifteen, 2, 7.0, " 7"}, {fifteen, -3, 7.0, "7"},
        {letters, 4, 1.0, "abc1"}, {letters, 300, 5.0, "abcdefghijklmno5"}, {std::string(), 6, 5.0, "5"}}) {
    t.host.draws.clear();
    t.lcd.padSpaces = pad;
    t.lcd.LcdPrintNumber(int16_t(width), value);
    std::string s;
    for (int image : t.Images()) s += char(image);
    EXPECT_EQ(s, want) << width << " " << value;
  }
  t.lcd.LcdLocate(22, 0);
  t.host.draws.clear();
  t.lcd.LcdPrintNumber(4, 1234);
  EXPECT_EQ(t.Cells()[2], Place(0, 1));
}

TEST(DotGraphics, DotsLinesAndBoxes) {
  LcdUnderTest t;
  for (auto [x, y] : {std::pair{143.9, 47.9}, {0.5, 0.99}, {144.0, 0.0}, {-0.1, 0.0}, {0.0, 48.0}, {NAN, 3.0}}) {
    t.lcd.LcdPlotDot(x, y, 1);
  }
  t.lcd.LcdPlotDot(3, 3, -1);  // no image behind these modes
  t.lcd.LcdPlotDot(3, 3, 7);
  EXPECT_EQ(t.Images(), (std::vector<int>{1, 1}));
  EXPECT_EQ(t.Dots(), (std::vector<Place>{{143, 47}, {0, 0}}));

  t.lcd.LcdLine(49, 0, 49, 48, 1);
  const auto separator = t.Dots();
  ASSERT_EQ(separator.size(), 48u);
  EXPECT_EQ(separator.back(), Place(49, 47));
  const std::pair<std::array<double, 4>, std::vector<Place>> lines[] = {
      {{0, 0, 3, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {3, 1}}},
      {{0, 0, 2, 2}, {{0, 0}, {1, 1}, {2, 2}, {2, 2}}},
      {{1, 5, 0, 0}, {{1, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}, {0, 0}}},
      {{5, 5, 5, 5}, {}},
      {{-INFINITY, 0, 10, 0}, {}}, {{0, 0, NAN, 3}, {}}, {{-1e300, 1, 1e300, 1}, {}},
  };
  for (const auto& [a, want] : lines) {
    t.lcd.LcdLine(a[0], a[1], a[2], a[3], 1);
    EXPECT_EQ(t.Dots(), want) << a[0] << "," << a[1] << " to " << a[2] << "," << a[3];
  }
  t.lcd.LcdLine(-10, 5, 200, 5, 1);  // clipped dot by dot
  EXPECT_EQ(t.Dots().size(), 144u);

  t.lcd.LcdBox(0, 0, 6, 6, 1);
  const auto dots = t.Dots();
  const std::set<Place> outline(dots.begin(), dots.end());
  EXPECT_EQ(outline.size(), 24u);
  for (const auto& [x, y] : outline) EXPECT_TRUE(x == 0 || x == 6 || y == 0 || y == 6);
  // Top, left, right, bottom: eight draws each.
  EXPECT_EQ((std::vector<Place>{dots[7], dots[8], dots[16], dots[24], dots[31]}),
            (std::vector<Place>{{6, 0}, {0, 0}, {6, 0}, {0, 6}, {6, 6}}));
}

TEST(GlyphSet, LoadsEveryNumberAndMissingGlyphsFallBackToTheSpaceOrToNothing) {
  LcdUnderTest real;
  const auto& loads = real.host.loads;
  ASSERT_EQ(loads.size(), 257u);
  EXPECT_EQ(loads[7], DFX_SOURCE_DIR "/res/bmp/007.bmp");
  EXPECT_EQ(loads[256], DFX_SOURCE_DIR "/res/bmp/256.bmp");
  int loaded = 0;
  for (int n = 0; n < GlyphCount; ++n) {
    EXPECT_EQ(real.lcd.glyphExists[size_t(n)], fs::exists(loads[size_t(n)]) ? 1 : 0) << n;
    loaded += real.lcd.glyphExists[size_t(n)];
  }
  EXPECT_EQ(real.host.bindings, loaded);

  const fs::path dir = fs::temp_directory_path() /
                       ("dfx-lcd-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  fs::copy_file(DFX_SOURCE_DIR "/res/bmp/065.bmp", dir / "065.bmp");
  LcdUnderTest withoutSpace((dir / "000.bmp").string());
  withoutSpace.lcd.LcdPrint("BAB");
  EXPECT_EQ(withoutSpace.Images(), (std::vector<int>{'A'}));
  EXPECT_EQ(withoutSpace.Cells(), (std::vector<Place>{{1, 0}}));
  EXPECT_EQ(withoutSpace.lcd.column, 3);
  fs::copy_file(DFX_SOURCE_DIR "/res/bmp/032.bmp", dir / "032.bmp");
  LcdUnderTest withSpace((dir / "000.bmp").string());
  withSpace.lcd.LcdPrint("AB");
  EXPECT_EQ(withSpace.Images(), (std::vector<int>{'A', SpaceGlyph}));
  fs::remove_all(dir);

  LcdUnderTest none("/nonexistent-dfx/res/bmp/000.bmp");
  for (uint8_t flag : none.lcd.glyphExists) EXPECT_EQ(flag, 0);
  none.lcd.LcdClear();
  none.lcd.LcdPrint("You Win");
  none.lcd.LcdLine(49, 0, 49, 48, 1);
  EXPECT_TRUE(none.host.draws.empty());
  EXPECT_EQ(none.lcd.column, 7);
  // No objects at all, or a template without digits: nothing loads, nothing breaks.
  Lcd bare;
  bare.LoadGlyphSet(DFX_SOURCE_DIR "/res/bmp/000.bmp");
  bare.LcdPrint("abc");
  bare.LcdBox(0, 0, 6, 6, 1);
  LoggingFactory host;
  bare.CreateGlyphObjects(host);
  bare.LoadGlyphSet(nullptr);
  bare.LoadGlyphSet("res/bmp/glyph.bmp");
  EXPECT_TRUE(host.loads.empty());
}

}  // namespace
}  // namespace dfx
