#include "lcd/screen_reader.h"

#include <gtest/gtest.h>

#include "host/memory/memory_host.h"
#include "lcd/lcd.h"

namespace dfx {
namespace {

using portable::PixelSurface;

class ScreenReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    lcd.CreateGlyphObjects(host);
    lcd.LoadGlyphSet(DFX_SOURCE_DIR "/res/bmp/000.bmp");
    lcd.padSpaces = std::string(15, ' ');
    ASSERT_GT(reader.LoadGlyphs(DFX_SOURCE_DIR "/res/bmp"), 100);
    lcd.LcdClear();
  }
  void At(int16_t column, int16_t row, const std::string& text, int16_t left = 0) {
    lcd.LcdLocate(column, row);
    lcd.LcdPrint(text, left);
  }
  void Square(int x, int y, int picture) { lcd.DrawGlyph(picture, DotPixel(SquareDot(x)), DotPixel(SquareDot(y))); }

  MemoryHost host;
  Lcd lcd;
  ScreenReader reader;
};

TEST_F(ScreenReadBack, TitleScreenAndEveryPrintableCharacter) {
  At(2, 0, "Discoflipparex V2.3D");
  At(5, 1, "[1] YOU vs CPU");
  At(5, 2, "[2] CPU vs YOU");
  At(5, 3, "[R] RANDOM ");
  At(5, 4, "LEVEL  (\x04\x05)");
  At(2, 5, CreditLine);
  At(11, 4, "S");
  At(16, 3, "ON ");
  ScreenText screen = reader.Read(host.ScreenCopy());
  EXPECT_TRUE(screen.found);
  const std::string expected = "  Discoflipparex V2.3D  \n"
                               "     [1] YOU vs CPU     \n"
                               "     [2] CPU vs YOU     \n"
                               "     [R] RANDOM ON      \n"
                               "     LEVEL S(\\x04\\x05)        \n  " +
                               std::string(CreditLine) + "   \n";
  EXPECT_EQ(FormatScreenText(screen).substr(0, expected.size()), expected);

  lcd.LcdClear();
  std::string all;
  for (int c = 32; c <= 126; ++c) all += char(c);
  lcd.LcdPrint(all);
  lcd.LcdLocate(0, 4);
  lcd.LcdPrintNumber(6, -1.0 / 3);
  lcd.LcdLocate(0, 5);
  lcd.LcdPrintNumber(4, 1e-5);
  screen = reader.Read(host.ScreenCopy());
  EXPECT_EQ(screen.lines[0] + screen.lines[1] + screen.lines[2] + screen.lines[3].substr(0, 23), all);
  EXPECT_EQ(screen.lines[4], "-0.333333333333333      ");
  EXPECT_EQ(screen.lines[5], "1.00000000000000e-05    ");
}

TEST_F(ScreenReadBack, GameScreenWithBoardPanelMarksAndUnknownCells) {
  for (int i = 0; i < 56; ++i) Square(i % 8 + 1, i / 8 + 1, 10);
  for (auto [x, y, picture] : {std::tuple{4, 4, 11}, {5, 5, 11}, {4, 5, 15}, {5, 4, 15}, {1, 1, 12}, {2, 1, 13},
                               {3, 1, 14}, {8, 8, 15}}) {
    Square(x, y, picture);
  }
  lcd.LcdPlotDot(42, 42, 1);  // on the grid line: square (7, 7) still reads
  lcd.LcdPlotDot(47, 47, 1);  // the unlit corner of the disc in square (8, 8)
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.DrawGlyph(15, DotPixel(54), DotPixel(33));
  lcd.LcdBox(18, 18, 24, 24, 1);
  At(9, 0, "CPU Lv 3(White)");
  lcd.LcdPlotDot(6 * 10 + 5, 7, 1);  // the spare corner dot of cell (10, 0)
  At(9, 1, std::string(10, '\x02') + std::string(12, '\x03'), 9);
  lcd.LcdLocate(12, 4);
  lcd.LcdPrintNumber(6, -12);
  lcd.LcdPrint(":Eval.");
  const ScreenText screen = reader.Read(host.ScreenCopy());
  // Columns 0..7 hold the board, column 8 the separator; the disc icon spoils cell (9, 4).
  EXPECT_EQ(screen.lines[0].substr(8), "?C?U Lv 3(White)");
  std::string marks;
  for (int i = 0; i < 22; ++i) marks += i < 10 ? "\\x02" : "\\x03";
  EXPECT_EQ(screen.lines[1].substr(8) + screen.lines[2].substr(9, 7 * 4), "?" + marks);
  EXPECT_EQ(screen.lines[4].substr(8), "??     -12:Eval.");
  // Squares never drawn show bare face, which is no square picture either.
  EXPECT_EQ(screen.board, "123-----" "--------" "--------" "---OX---" "---XO---" "--------" "--------" "????????");
}

TEST(ScreenReader, NoFacePreferredCodesAndJson) {
  ScreenReader reader;
  ASSERT_GT(reader.LoadGlyphs(DFX_SOURCE_DIR "/res/bmp"), 100);
  for (const PixelSurface& shot : {PixelSurface(640, 204, 0), PixelSurface(3, 2, 0), PixelSurface()}) {
    const ScreenText screen = reader.Read(shot);
    EXPECT_FALSE(screen.found);
    EXPECT_EQ(screen.lines[5], std::string(24, '?'));
    EXPECT_EQ(screen.board, std::string(64, '?'));
  }
  // Among equal pictures the space wins, then printable codes.
  ScreenReader pick;
  PixelSurface blank(24, 32, 7), ink(24, 32, 7), face(640, 204, 7);
  ink.At(5, 5) = 1;
  pick.SetGlyph(200, blank);
  pick.SetGlyph(32, blank);
  pick.SetGlyph(7, ink);
  pick.SetGlyph(90, ink);
  pick.SetGlyph(255, face);
  face.At(8 + 5, 8 + 5) = 1;       // cell (0, 0) shows the ink
  face.At(8 + 24 + 5, 8 + 5) = 2;  // cell (1, 0) matches nothing
  EXPECT_EQ(pick.Read(face).lines[0], "Z?" + std::string(22, ' '));
  pick.SetGlyph(90, PixelSurface(24, 32, 9));
  EXPECT_EQ(pick.Read(face).lines[0].substr(0, 5), "\\x07?");

  ScreenText screen;
  screen.lines = {"a\"b", "\\x02", "", "", "", ""};
  screen.board = std::string(64, '-');
  EXPECT_EQ(FormatScreenJson(screen), "{\"lines\": [\"a\\\"b\", \"\\\\x02\", \"\", \"\", \"\", \"\"], \"board\": \"" +
                                          std::string(64, '-') + "\"}\n");
}

// A BMP header with its pixels, or the bare header when the pixels would be absurd.
std::vector<uint8_t> Bmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression = 0) {
  const uint64_t pixels = (uint64_t(std::abs(int64_t(w))) * bpp + 31) / 32 * 4 * uint64_t(std::abs(int64_t(h)));
  std::vector<uint8_t> b(54 + (pixels > 1000000 ? 0 : size_t(pixels)), 0);
  for (auto [at, v] : {std::pair<size_t, uint32_t>{10, 54}, {14, 40}, {18, w}, {22, h}, {30, compression}}) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
  b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = uint8_t(bpp);
  return b;
}

TEST(BmpDecoding, BothRowOrdersAndHostileHeaders) {
  std::vector<uint8_t> up = Bmp(2, 2, 24), down = Bmp(1, -2, 32);
  up[54] = 0x03, up[55] = 0x02, up[56] = 0x01;  // first stored row is the bottom one
  down[54] = 0x33, down[55] = 0x22, down[56] = 0x11;
  PixelSurface s;
  ASSERT_TRUE(DecodeBmp(up.data(), up.size(), &s));
  EXPECT_EQ(s.At(0, 1), 0x010203u);
  ASSERT_TRUE(DecodeBmp(down.data(), down.size(), &s));
  EXPECT_EQ(s.At(0, 0), 0x112233u);

  s = PixelSurface(1, 1, 5);
  for (size_t cut : {size_t(0), size_t(2), size_t(53), up.size() - 1}) EXPECT_FALSE(DecodeBmp(up.data(), cut, &s));
  EXPECT_FALSE(DecodeBmp(nullptr, 100, &s));
  std::vector<uint8_t> farOffset = Bmp(1, 1, 24);
  farOffset[13] = 0xFF;  // pixels said to start far past the end
  for (const auto& bad : {Bmp(100000, 100000, 24), Bmp(0x7FFFFFFF, 1, 24), Bmp(1, INT32_MIN, 24), Bmp(0, 2, 24),
                          Bmp(2, 2, 8), Bmp(2, 2, 24, 1), farOffset}) {
    EXPECT_FALSE(DecodeBmp(bad.data(), bad.size(), &s));
  }
  EXPECT_EQ(s.width, 1);  // untouched by every refusal
  EXPECT_FALSE(ReadBmpFile("/nonexistent-dfx/000.bmp", &s));
}

}  // namespace
}  // namespace dfx
