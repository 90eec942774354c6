#include "screen_reader/screen_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "host/memory/memory_host.h"
#include "image/portable/picture_decode.h"
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
}

// A one-row 24-bit BMP file whose first pixel is 0x010203.
std::string WriteRowBmp(const std::string& path, int32_t w) {
  std::vector<uint8_t> b(54 + (size_t(w) * 3 + 3) / 4 * 4, 0);
  for (auto [at, v] : {std::pair<size_t, uint32_t>{10, 54}, {14, 40}, {18, uint32_t(w)}, {22, 1}}) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
  b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 24;
  b[54] = 0x03, b[55] = 0x02, b[56] = 0x01;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return path;
}

// Screenshots are decoded by the glyph loader's decoder, under the screenshot's larger limit.
TEST(ScreenshotFile, WiderThanAnyGlyphUpToItsOwnLimit) {
  const std::string path = ::testing::TempDir() + "dfx_screenshot_row.bmp";
  PixelSurface s;
  for (auto [w, readable] :
       {std::pair{portable::MaxPictureSide + 1, true}, {MaxScreenshotSide, true}, {MaxScreenshotSide + 1, false}}) {
    ASSERT_EQ(ReadBmpFile(WriteRowBmp(path, w), &s), readable) << w;
    EXPECT_EQ(s.width, std::min(w, MaxScreenshotSide));  // a refusal leaves the picture alone
    EXPECT_EQ(s.At(0, 0), 0x010203u);
  }
  std::remove(path.c_str());
  EXPECT_FALSE(ReadBmpFile("/nonexistent-dfx/000.bmp", &s));
}

}  // namespace
}  // namespace dfx
