// Reading the LCD back out of a picture of the window: the glyph set's pictures, the
// search for the blank face, and the 24x6 text cells and 64 board squares matched
// exactly against the glyphs. Shared by `dfx read-screen`, `dfx replay` and tests.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "image/portable/pixel_surface.h"

namespace dfx {

// Screenshots of a whole desktop may be larger than any picture the program loads.
constexpr int32_t MaxScreenshotSide = 8192;
// Reads a BMP screenshot with the program's own decoder; a missing or damaged file, or
// a picture beyond MaxScreenshotSide on a side, gives false.
bool ReadBmpFile(const std::string& path, portable::PixelSurface* out);

struct ScreenText {
  bool found = false;                // the LCD face was located
  int32_t originX = 0, originY = 0;  // its top-left corner in the picture
  std::array<std::string, 6> lines;  // 24 cells each: char, \xHH or ?
  std::string board;                 // 64 squares, row 1 first: - X O 1 2 3 ?
};

class ScreenReader {
 public:
  // Loads NNN.bmp for every image number from dir; returns how many loaded.
  int LoadGlyphs(const std::string& dir);
  void SetGlyph(int n, portable::PixelSurface picture);
  const std::optional<portable::PixelSurface>& Glyph(int n) const { return glyphs_[size_t(n)]; }

  // The top-left corner of the LCD face in shot, if there is one.
  bool FindLcd(const portable::PixelSurface& shot, int32_t* x, int32_t* y) const;
  // Reads the cells and squares of the LCD whose face starts at (x, y).
  ScreenText ReadAt(const portable::PixelSurface& shot, int32_t x, int32_t y) const;
  // Finds the LCD, then reads it; found is false (and every cell '?') when no face is seen.
  ScreenText Read(const portable::PixelSurface& shot) const;

 private:
  std::array<std::optional<portable::PixelSurface>, 257> glyphs_;
};

// Six text lines then eight board lines, each ending in a newline.
std::string FormatScreenText(const ScreenText& screen);

}  // namespace dfx
