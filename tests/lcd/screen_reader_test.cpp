#include "lcd/screen_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/memory/memory_host.h"
#include "lcd/lcd.h"

namespace dfx {
namespace {

using portable::PixelSurface;

const std::string GlyphDir = std::string(DFX_SOURCE_DIR) + "/res/bmp";

class ScreenReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    lcd.CreateGlyphObjects(host);
    lcd.LoadGlyphSet((GlyphDir + "/000.bmp").c_str());
    lcd.padSpaces = std::string(15, ' ');
    ASSERT_GT(reader.LoadGlyphs(GlyphDir), 100);
  }
  void Square(int x, int y, int picture) { lcd.DrawGlyph(picture, DotPixelX(x * 6 - 5), DotPixelY(y * 6 - 5)); }

  MemoryHost host;
  Lcd lcd;
  ScreenReader reader;
};

TEST_F(ScreenReadBack, TitleScreenReadsBackExactly) {
  lcd.LcdClear();
  lcd.LcdLocate(2, 0);
  lcd.LcdPrint("Discoflipparex V2.3D");
  lcd.LcdLocate(5, 1);
  lcd.LcdPrint("[1] YOU vs CPU");
  lcd.LcdLocate(5, 2);
  lcd.LcdPrint("[2] CPU vs YOU");
  lcd.LcdLocate(5, 3);
  lcd.LcdPrint("[R] RANDOM ");
  lcd.LcdLocate(5, 4);
  lcd.LcdPrint("LEVEL  (\x04\x05)");
  lcd.LcdLocate(2, 5);
  lcd.LcdPrint(CreditLine);
  lcd.LcdLocate(11, 4);
  lcd.LcdPrint("S");
  lcd.LcdLocate(16, 3);
  lcd.LcdPrint("ON ");
  const ScreenText screen = reader.Read(host.ScreenCopy());
  EXPECT_TRUE(screen.found);
  EXPECT_EQ(screen.lines[0], "  Discoflipparex V2.3D  ");
  EXPECT_EQ(screen.lines[1], "     [1] YOU vs CPU     ");
  EXPECT_EQ(screen.lines[2], "     [2] CPU vs YOU     ");
  EXPECT_EQ(screen.lines[3], "     [R] RANDOM ON      ");
  EXPECT_EQ(screen.lines[4], "     LEVEL S(\\x04\\x05)        ");
  EXPECT_EQ(screen.lines[5], std::string("  ") + CreditLine + "   ");
  EXPECT_EQ(std::strlen(CreditLine), 19u);
}

TEST_F(ScreenReadBack, EveryPrintableCharacterAndEveryNumberTextReadsBack) {
  lcd.LcdClear();
  std::string all;
  for (int c = 32; c <= 126; ++c) all += char(c);
  lcd.LcdPrint(all);
  lcd.LcdLocate(0, 4);
  lcd.LcdPrintNumber(6, -1.0 / 3);
  lcd.LcdLocate(0, 5);
  lcd.LcdPrintNumber(4, 1e-5);
  const ScreenText screen = reader.Read(host.ScreenCopy());
  EXPECT_EQ(screen.lines[0] + screen.lines[1] + screen.lines[2] + screen.lines[3].substr(0, 23), all);
  EXPECT_EQ(screen.lines[4], "-0.333333333333333      ");
  EXPECT_EQ(screen.lines[5], "1.00000000000000e-05    ");
}

TEST_F(ScreenReadBack, GameScreenWithBoardPanelAndMarks) {
  lcd.LcdClear();
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) Square(x, y, 10);
  }
  Square(4, 4, 11);
  Square(5, 5, 11);
  Square(4, 5, 15);
  Square(5, 4, 15);
  Square(1, 1, 12);
  Square(2, 1, 13);
  Square(3, 1, 14);
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.DrawGlyph(15, DotPixelX(54), DotPixelY(33));
  lcd.DrawGlyph(11, DotPixelX(54), DotPixelY(41));
  lcd.LcdBox(18, 18, 24, 24, 1);
  lcd.LcdLocate(9, 0);
  lcd.LcdPrint("CPU Lv 3(White)");
  lcd.LcdLocate(9, 1);
  lcd.LcdPrint(std::string(10, '\x02') + std::string(12, '\x03'), 9);
  lcd.LcdLocate(10, 4);
  lcd.LcdPrintNumber(2, 2);
  lcd.LcdLocate(12, 4);
  lcd.LcdPrintNumber(6, -12);
  lcd.LcdPrint(":Eval.");
  lcd.LcdLocate(10, 5);
  lcd.LcdPrintNumber(2, 2);
  lcd.LcdLocate(12, 5);
  lcd.LcdPrintNumber(6, 0.25);
  lcd.LcdPrint(":s");

  const ScreenText screen = reader.Read(host.ScreenCopy());
  // Board columns 0..7 hold squares and lines, not characters; the icon shares cell 9.
  EXPECT_EQ(screen.lines[0].substr(8), "?CPU Lv 3(White)");
  const std::string pre = "\\x02", main = "\\x03";
  std::string row1 = "?", row2 = "?";
  for (int i = 0; i < 10; ++i) row1 += pre;
  for (int i = 0; i < 5; ++i) row1 += main;
  for (int i = 0; i < 7; ++i) row2 += main;
  EXPECT_EQ(screen.lines[1].substr(8), row1);
  EXPECT_EQ(screen.lines[2].substr(8), row2 + "        ");
  EXPECT_EQ(screen.lines[4].substr(8), "?? 2   -12:Eval.");
  EXPECT_EQ(screen.lines[5].substr(8), "?? 2  0.25:s    ");
  EXPECT_EQ(screen.board,
            "123-----"
            "--------"
            "--------"
            "---OX---"
            "---XO---"
            "--------"
            "--------"
            "--------");
  EXPECT_EQ(FormatScreenText(screen).substr(0, 25), screen.lines[0] + "\n");
}

TEST_F(ScreenReadBack, FindsTheLcdInsideALargerScreenshot) {
  lcd.LcdClear();
  lcd.LcdLocate(9, 1);
  lcd.LcdPrint("You Pass!");
  lcd.LcdLocate(9, 2);
  lcd.LcdPrint("Hit Any Key");
  const PixelSurface client = host.ScreenCopy();
  PixelSurface shot(1024, 768, 0x202020);
  for (int y = 0; y < client.height; ++y) {
    for (int x = 0; x < client.width; ++x) shot.At(x + 37, y + 301) = client.At(x, y);
  }
  // Something of the face's colour elsewhere must not distract the search.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) shot.At(900 + x, 10 + y) = client.At(0, 0);
  }
  const ScreenText screen = reader.Read(shot);
  ASSERT_TRUE(screen.found);
  EXPECT_EQ(screen.originX, 37);
  EXPECT_EQ(screen.originY, 301);
  EXPECT_EQ(screen.lines[1], "         You Pass!      ");
  EXPECT_EQ(screen.lines[2], "         Hit Any Key    ");
}

TEST_F(ScreenReadBack, UnknownCellsAndSquaresReadAsQuestionMarks) {
  lcd.LcdClear();
  lcd.LcdLocate(3, 2);
  lcd.LcdPrint("AB");
  lcd.LcdPlotDot(6 * 4 + 5, 8 * 2 + 7, 1);  // the spare bottom-right dot of cell (4, 2)
  Square(7, 7, 10);
  Square(8, 8, 15);
  lcd.LcdPlotDot(42, 42, 1);  // on the grid line: square (7, 7) still reads
  lcd.LcdPlotDot(43, 43, 1);  // the unlit corner of the disc in square (8, 8)
  const ScreenText screen = reader.Read(host.ScreenCopy());
  EXPECT_EQ(screen.lines[2].substr(0, 6), "   A? ");
  EXPECT_EQ(screen.board.substr(48), std::string(6, '?') + "-" + std::string(9, '?'));
  // A square never drawn shows the bare face, which is no square picture either.
  EXPECT_EQ(screen.board[0], '?');
}

TEST(ScreenReader, NoFaceMeansNothingIsRead) {
  ScreenReader reader;
  ASSERT_GT(reader.LoadGlyphs(GlyphDir), 100);
  const ScreenText black = reader.Read(PixelSurface(640, 204, 0));
  EXPECT_FALSE(black.found);
  for (const auto& line : black.lines) EXPECT_EQ(line, std::string(24, '?'));
  EXPECT_EQ(black.board, std::string(64, '?'));
  const ScreenText tiny = reader.Read(PixelSurface(3, 2, 0));
  EXPECT_FALSE(tiny.found);
  EXPECT_EQ(tiny.lines[5], std::string(24, '?'));
  const ScreenText empty = reader.Read(PixelSurface());
  EXPECT_EQ(empty.board, std::string(64, '?'));
}

TEST(ScreenReader, PrefersTheSpaceThenPrintableCodesAmongEqualPictures) {
  ScreenReader reader;
  PixelSurface blank(24, 32, 7), ink(24, 32, 7), face(640, 204, 7);
  ink.At(5, 5) = 1;
  reader.SetGlyph(200, blank);
  reader.SetGlyph(32, blank);
  reader.SetGlyph(7, ink);
  reader.SetGlyph(90, ink);
  reader.SetGlyph(255, face);
  face.At(8 + 5, 8 + 5) = 1;               // cell (0, 0) shows the ink picture
  face.At(8 + 24 + 5, 8 + 5) = 2;          // cell (1, 0) matches nothing
  const ScreenText screen = reader.Read(face);
  EXPECT_EQ(screen.lines[0], "Z?" + std::string(22, ' '));
  reader.SetGlyph(90, PixelSurface(24, 32, 9));
  EXPECT_EQ(reader.Read(face).lines[0].substr(0, 5), "\\x07?");
}

TEST(ScreenReader, JsonEscapesQuotesAndBackslashes) {
  ScreenText screen;
  screen.lines = {"a\"b", "\\x02", "", "", "", ""};
  screen.board = std::string(64, '-');
  EXPECT_EQ(FormatScreenJson(screen),
            "{\"lines\": [\"a\\\"b\", \"\\\\x02\", \"\", \"\", \"\", \"\"], \"board\": \"" + std::string(64, '-') +
                "\"}\n");
  const std::string text = FormatScreenText(screen);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 14);
}

// A BMP header with its pixels, or the bare header when the pixels would be absurd.
std::vector<uint8_t> Bmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression = 0) {
  const uint64_t stride = (uint64_t(w < 0 ? -w : w) * bpp + 31) / 32 * 4;
  const uint64_t rows = uint64_t(h < 0 ? -h : h);
  const uint64_t pixels = stride * rows;
  std::vector<uint8_t> b(54 + (pixels > 1000000 ? 0 : size_t(pixels)), 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, uint32_t(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  b[26] = 1;
  b[28] = uint8_t(bpp);
  put32(30, compression);
  return b;
}

TEST(BmpDecoding, ReadsBothRowOrdersAndBothDepths) {
  // 2x2, 24-bit bottom-up: the first stored row is the picture's bottom row.
  std::vector<uint8_t> up = Bmp(2, 2, 24);
  up[54] = 0x03, up[55] = 0x02, up[56] = 0x01;   // bottom-left = 0x010203
  up[62] = 0xCC, up[63] = 0xBB, up[64] = 0xAA;   // top-left = 0xAABBCC (rows padded to 8 bytes)
  PixelSurface s;
  ASSERT_TRUE(DecodeBmp(up.data(), up.size(), &s));
  EXPECT_EQ(s.At(0, 1), 0x010203u);
  EXPECT_EQ(s.At(0, 0), 0xAABBCCu);

  std::vector<uint8_t> down = Bmp(1, -2, 32);
  down[54] = 0x33, down[55] = 0x22, down[56] = 0x11, down[57] = 0xFF;
  ASSERT_TRUE(DecodeBmp(down.data(), down.size(), &s));
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(s.At(0, 0), 0x112233u);
}

TEST(BmpDecoding, HostileFilesAreRefused) {
  PixelSurface s(1, 1, 5);
  std::vector<uint8_t> good = Bmp(4, 4, 24);
  for (size_t cut : {size_t(0), size_t(2), size_t(53), good.size() - 1}) {
    EXPECT_FALSE(DecodeBmp(good.data(), cut, &s)) << cut;
  }
  EXPECT_FALSE(DecodeBmp(nullptr, 100, &s));
  const auto tooBig = Bmp(100000, 100000, 24);
  EXPECT_FALSE(DecodeBmp(tooBig.data(), tooBig.size(), &s));
  const auto huge = Bmp(1, 1, 24);
  std::vector<uint8_t> lie = huge;
  lie[18] = 0xFF, lie[19] = 0xFF, lie[20] = 0xFF, lie[21] = 0x7F;  // width 2^31-1
  EXPECT_FALSE(DecodeBmp(lie.data(), lie.size(), &s));
  lie = huge;
  lie[22] = 0x00, lie[23] = 0x00, lie[24] = 0x00, lie[25] = 0x80;  // height INT32_MIN
  EXPECT_FALSE(DecodeBmp(lie.data(), lie.size(), &s));
  lie = huge;
  lie[10] = 0xF0, lie[11] = 0xFF, lie[12] = 0xFF, lie[13] = 0xFF;  // pixels far past the end
  EXPECT_FALSE(DecodeBmp(lie.data(), lie.size(), &s));
  EXPECT_FALSE(DecodeBmp(Bmp(2, 2, 8).data(), Bmp(2, 2, 8).size(), &s));
  EXPECT_FALSE(DecodeBmp(Bmp(2, 2, 24, 1).data(), Bmp(2, 2, 24, 1).size(), &s));
  EXPECT_FALSE(DecodeBmp(Bmp(0, 2, 24).data(), 54, &s));
  EXPECT_EQ(s.width, 1);  // untouched by every refusal
  EXPECT_FALSE(ReadBmpFile("/nonexistent-dfx/000.bmp", &s));
}

}  // namespace
}  // namespace dfx
