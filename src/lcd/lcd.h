// The imitated LCD: the 257 image objects of the glyph set and their load flags, the
// 24x6 character screen with its text cursor, and dots, lines and boxes in the LCD's
// 144x48 dot coordinates. Everything is drawn at once through the image objects.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "image/image.h"

namespace dfx {

constexpr int GlyphCount = 257;
constexpr int LcdColumns = 24;
constexpr int LcdRows = 6;
constexpr int LcdDotsWide = 144;
constexpr int LcdDotsHigh = 48;
// Window pixels: the dot area starts after this margin; a dot is DotPixels square.
constexpr int LcdMargin = 8;
constexpr int DotPixels = 4;
constexpr int CellWidth = 24;
constexpr int CellHeight = 32;

// Image numbers with a fixed use.
constexpr int BlankDotGlyph = 0;
constexpr int DarkDotGlyph = 1;
constexpr int SpaceGlyph = 32;
constexpr int BlankFaceGlyph = 255;
constexpr int EmptySquareGlyph = 10;

#ifdef _WIN32
inline constexpr const char* DefaultGlyphPathTemplate = "res\\bmp\\000.bmp";
#else
inline constexpr const char* DefaultGlyphPathTemplate = "res/bmp/000.bmp";
#endif

// The title screen's credit line (row 5 from column 2): exactly 19 characters.
inline constexpr const char* CreditLine = "(C)2026 DFX PROJECT";

// Window pixel of LCD cell (column, row), and of a whole dot coordinate (x or y alike).
constexpr int32_t CellPixelX(int32_t column) { return LcdMargin + CellWidth * column; }
constexpr int32_t CellPixelY(int32_t row) { return LcdMargin + CellHeight * row; }
constexpr int32_t DotPixel(int32_t d) { return LcdMargin + DotPixels * d; }
// The dot where the picture of board square column or row n (1..8) starts: squares
// are 6 dots apart, so the dot lines between them can carry the cursor box.
constexpr int32_t SquareDot(int32_t n) { return n * 6 - 5; }

class Lcd {
 public:
  std::array<std::unique_ptr<Image>, GlyphCount> glyphs;
  std::array<uint8_t, GlyphCount> glyphExists{};
  int16_t column = 0;
  int16_t row = 0;
  // The only source of fill for LcdPrintNumber; start-up sets it to 15 spaces.
  std::string padSpaces;

  // Constructs the 257 empty image objects, in image-number order.
  void CreateGlyphObjects(ImageFactory& factory);
  // Loads image n from the template with its last "000" replaced by n in three
  // digits, binds each loaded image to the window and sets its flag.
  void LoadGlyphSet(const char* pathTemplate = DefaultGlyphPathTemplate);

  void LcdLocate(int16_t newColumn, int16_t newRow);
  void LcdPutChar(uint8_t code, int16_t leftColumn);
  void LcdPrint(std::string_view text, int16_t leftColumn = 0);
  void LcdPrintNumber(int16_t width, double value);
  void LcdClear();

  void LcdPlotDot(double x, double y, int8_t mode);
  void LcdLine(double x1, double y1, double x2, double y2, int8_t mode);
  void LcdBox(double x1, double y1, double x2, double y2, int8_t mode);

  // Image n at window pixel (px, py), natural size, copy; 0 when nothing was drawn
  // (number out of range, object missing or empty). No fallback to the space.
  int32_t DrawGlyph(int32_t n, int32_t px, int32_t py);
};

}  // namespace dfx
