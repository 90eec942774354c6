#include "lcd/lcd.h"

#include <algorithm>
#include <cmath>

#include "runtime/number_text.h"

namespace dfx {

namespace {
// A line this long would take millions of steps for at most 144 visible dots; the
// DDA also stops advancing once its coordinates lose their unit steps. Refused.
constexpr double MaxLineCoordinate = 1.0e6;

bool SaneLineCoordinate(double v) { return std::isfinite(v) && std::fabs(v) <= MaxLineCoordinate; }
}  // namespace

void Lcd::CreateGlyphObjects(ImageFactory& factory) {
  for (auto& glyph : glyphs) glyph = factory.CreateImage();
  glyphExists.fill(0);
}

void Lcd::LoadGlyphSet(const char* pathTemplate) {
  if (pathTemplate == nullptr) return;
  std::string path = pathTemplate;
  const size_t digits = path.rfind("000");
  if (digits == std::string::npos) return;
  for (int n = 0; n < GlyphCount; ++n) {
    path[digits] = char('0' + n / 100);
    path[digits + 1] = char('0' + n / 10 % 10);
    path[digits + 2] = char('0' + n % 10);
    Image* image = glyphs[size_t(n)].get();
    if (image == nullptr) continue;
    if (image->Load(path.c_str()) == 1) {
      image->BindToWindow();
      glyphExists[size_t(n)] = 1;
    }
  }
}

int32_t Lcd::DrawGlyph(int32_t n, int32_t px, int32_t py) {
  if (n < 0 || n >= GlyphCount) return 0;
  Image* image = glyphs[size_t(n)].get();
  if (image == nullptr) return 0;
  return image->Draw(px, py, 0);
}

void Lcd::LcdLocate(int16_t newColumn, int16_t newRow) {
  column = newColumn;
  row = newRow;
}

void Lcd::LcdPutChar(uint8_t code, int16_t leftColumn) {
  const int32_t image = glyphExists[code] == 1 ? code : SpaceGlyph;
  DrawGlyph(image, CellPixelX(column), CellPixelY(row));
  column = int16_t(column + 1);
  if (column > LcdColumns - 1) {
    column = leftColumn;
    row = int16_t(row + 1);
    if (row > LcdRows - 1) row = LcdRows - 1;
  }
}

void Lcd::LcdPrint(std::string_view text, int16_t leftColumn) {
  for (char c : text) LcdPutChar(static_cast<uint8_t>(c), leftColumn);
}

void Lcd::LcdPrintNumber(int16_t width, double value) {
  std::string text = FormatNumber(value);
  if (width > 0 && size_t(width) > text.size()) {
    // Never more fill than padSpaces holds, whatever the caller asked for.
    const size_t fill = std::min(size_t(width) - text.size(), padSpaces.size());
    text.insert(0, padSpaces, 0, fill);
  }
  LcdPrint(text, 0);
}

void Lcd::LcdClear() {
  DrawGlyph(BlankFaceGlyph, 0, 0);
  column = 0;
  row = 0;
}

void Lcd::LcdPlotDot(double x, double y, int8_t mode) {
  // Every coordinate that floors onto the dot area draws, so 143.9 is dot 143.
  if (!(x >= 0 && x < LcdDotsWide && y >= 0 && y < LcdDotsHigh)) return;
  DrawGlyph(mode, DotPixel(FloorToInt(x)), DotPixel(FloorToInt(y)));
}

void Lcd::LcdLine(double x1, double y1, double x2, double y2, int8_t mode) {
  if (!SaneLineCoordinate(x1) || !SaneLineCoordinate(y1) || !SaneLineCoordinate(x2) ||
      !SaneLineCoordinate(y2)) {
    return;
  }
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  if (dx == 0 && dy == 0) return;
  double x = x1;
  double y = y1;
  if (std::fabs(dx) > std::fabs(dy)) {
    const double sy = dy / std::fabs(dx);
    const double sx = dx > 0 ? 1.0 : -1.0;
    while ((sx > 0 && x <= x2) || (sx < 0 && x >= x2)) {
      LcdPlotDot(x, y, mode);
      y = y + sy;
      x = x + sx;
    }
  } else {
    const double sx = dx / std::fabs(dy);
    const double sy = dy > 0 ? 1.0 : -1.0;
    while ((sy > 0 && y <= y2) || (sy < 0 && y >= y2)) {
      LcdPlotDot(x, y, mode);
      x = x + sx;
      y = y + sy;
    }
  }
  LcdPlotDot(x2, y2, mode);
}

void Lcd::LcdBox(double x1, double y1, double x2, double y2, int8_t mode) {
  LcdLine(x1, y1, x2, y1, mode);
  LcdLine(x1, y1, x1, y2, mode);
  LcdLine(x2, y1, x2, y2, mode);
  LcdLine(x1, y2, x2, y2, mode);
}

}  // namespace dfx
