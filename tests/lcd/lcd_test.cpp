// The LCD's text cells, numbers, dot graphics and glyph set over logging image objects.
#include "lcd/lcd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

namespace dfx {
namespace {

using Place = std::pair<int, int>;

// The LCD over image objects that decode nothing: a load succeeds when the file exists and
// the code is not among the missing, and each draw of a loaded object is logged with its
// image number and pixel.
struct LcdUnderTest : ImageFactory {
  std::vector<std::array<int, 3>> draws;
  std::vector<std::string> loads;
  int created = 0;
  Lcd lcd;
  struct Fake : Image {
    LcdUnderTest* t;
    int id, loaded = 0;
    Fake(LcdUnderTest* u, int n) : t(u), id(n) {}
    int32_t Load(const char* path) override {
      t->loads.push_back(path);
      return loaded = std::filesystem::exists(path) && t->missing.find(char(id)) == std::string::npos;
    }
    int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
      if (loaded) t->draws.push_back({id, x, y});
      return loaded;
    }
    void BindToWindow() override {}
    int32_t BitmapWidth() const override { return 0; }
    int32_t BitmapHeight() const override { return 0; }
    int32_t SetCaptureDelay(int32_t) override { return 1; }
  };
  std::unique_ptr<Image> CreateImage() override { return std::make_unique<Fake>(this, created++); }
  std::string missing;
  explicit LcdUnderTest(const char* pathTemplate = DFX_SOURCE_DIR "/res/bmp/000.bmp", std::string gone = "")
      : missing(std::move(gone)) {
    lcd.CreateGlyphObjects(*this);
    lcd.LoadGlyphSet(pathTemplate);
  }
  // Drawn since the last call: the images as text, and the places in cells or dots.
  auto Take(int pitchX = CellWidth, int pitchY = CellHeight) {
    std::pair<std::string, std::vector<Place>> got;
    for (auto [image, x, y] : std::exchange(draws, {})) {
      got.first += char(image);
      got.second.emplace_back((x - LcdMargin) / pitchX, (y - LcdMargin) / pitchY);
    }
    return got;
  }
  auto TakeDots() { return Take(DotPixels, DotPixels); }
};

TEST(CharacterScreen, WrapsToTheLeftColumnClampsAtTheLastRowPadsNumbersAndClears) {
  // (where, text, left column, images drawn, their cells, cursor after)
  const std::tuple<Place, std::string, int16_t, std::string, std::vector<Place>, Place> rows[] = {
      {{22, 1}, "\3\3\3", 9, "\3\3\3", {{22, 1}, {23, 1}, {9, 2}}, {10, 2}},  // inside the panel
      {{22, 5}, "XYZ", 9, "XYZ", {{22, 5}, {23, 5}, {9, 5}}, {10, 5}},
      {{30, 2}, "AB", 4, "AB", {{30, 2}, {4, 3}}, {5, 3}},      // beyond the row: drawn there once
      {{0, 0}, "\x82\xA0", 0, "  ", {{0, 0}, {1, 0}}, {2, 0}},  // codes without pictures
  };
  LcdUnderTest t;
  for (const auto& [at, text, left, images, places, cursor] : rows) {
    t.lcd.LcdLocate(int16_t(at.first), int16_t(at.second));
    t.lcd.LcdPrint(text, left);
    EXPECT_EQ(t.Take(), std::pair(images, places)) << text;
    EXPECT_EQ(Place(t.lcd.column, t.lcd.row), cursor) << text;
  }
  // Numbers: fill from padSpaces alone, never cutting the number; a wrap goes to column 0.
  t.lcd.padSpaces = "abcdefghijklmno";
  for (auto [width, value, want] :
       {std::tuple{4, 1.0, "abc1"}, {2, -12.0, "-12"}, {-3, 7.0, "7"}, {300, 5.0, "abcdefghijklmno5"}}) {
    t.lcd.LcdPrintNumber(int16_t(width), value);
    EXPECT_EQ(t.Take().first, want) << width << " " << value;
  }
  t.lcd.LcdLocate(22, 0);
  t.lcd.LcdPrintNumber(4, 1234);
  EXPECT_EQ(t.Take().second[2], Place(0, 1));
  t.lcd.LcdClear();
  EXPECT_EQ(t.draws, (std::vector<std::array<int, 3>>{{BlankFaceGlyph, 0, 0}}));
  EXPECT_EQ(Place(t.lcd.column, t.lcd.row), Place(0, 0));
}

TEST(DotGraphics, DotsLinesAndBoxesClipToTheDotArea) {
  LcdUnderTest t;
  for (auto [x, y] :
       {std::pair{143.9, 47.9}, {0.5, 0.99}, {144.0, 0.0}, {-0.1, 0.0}, {0.0, 48.0}, {NAN, 3.0}})
    t.lcd.LcdPlotDot(x, y, 1);
  t.lcd.LcdPlotDot(3, 3, -1);  // no image behind these modes
  t.lcd.LcdPlotDot(3, 3, 7);
  EXPECT_EQ(t.TakeDots(), std::pair(std::string("\1\1"), std::vector<Place>{{143, 47}, {0, 0}}));
  const std::pair<std::array<double, 4>, std::vector<Place>> lines[] = {
      {{0, 0, 3, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {3, 1}}},
      {{0, 0, 2, 2}, {{0, 0}, {1, 1}, {2, 2}, {2, 2}}},
      {{1, 5, 0, 0}, {{1, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}, {0, 0}}},
      {{5, 5, 5, 5}, {}},
      {{0, 0, NAN, 3}, {}},
      {{-1e300, 1, 1e300, 1}, {}},
  };
  for (const auto& [a, want] : lines) {
    t.lcd.LcdLine(a[0], a[1], a[2], a[3], 1);
    EXPECT_EQ(t.TakeDots().second, want) << a[0] << "," << a[1] << " to " << a[2] << "," << a[3];
  }
  t.lcd.LcdLine(-10, 5, 200, 5, 1);  // clipped dot by dot, both ends off the area
  EXPECT_EQ(t.TakeDots().second.size(), 144u);
  std::set<Place> outline;  // the cursor box round square (2, 3): 24 dots
  for (int i = 0; i < 6; ++i) outline.insert({{6 + i, 12}, {12, 12 + i}, {12 - i, 18}, {6, 18 - i}});
  for (int8_t mode : {1, 0}) {  // drawn, then erased
    t.lcd.LcdBox(6, 12, 12, 18, mode);
    const auto [images, dots] = t.TakeDots();
    EXPECT_EQ(std::pair(images, std::set<Place>(dots.begin(), dots.end())),
              std::pair(std::string(dots.size(), char(mode)), outline));
  }
}

// A glyph that did not load draws the space, or with no space either nothing, so the cell
// keeps what it showed. Which files the set loads is the damaged installations' test.
TEST(GlyphSet, AMissingGlyphKeepsTheOldCellWithoutASpaceAndATemplateNeedsDigits) {
  LcdUnderTest t(DFX_SOURCE_DIR "/res/bmp/000.bmp", " B");
  t.lcd.LcdPrint("BAB");
  EXPECT_EQ(t.Take(), std::pair(std::string("A"), std::vector<Place>{{1, 0}}));
  EXPECT_EQ(t.lcd.column, 3);
  t.loads.clear();
  t.lcd.LoadGlyphSet("res/bmp/glyph.bmp");
  t.lcd.LoadGlyphSet(nullptr);
  EXPECT_TRUE(t.loads.empty());
}

}  // namespace
}  // namespace dfx
