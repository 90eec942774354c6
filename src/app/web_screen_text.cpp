#include "app/web_screen_text.h"

#include <emscripten.h>

#include "lcd/lcd.h"

namespace dfx {

namespace {

// Whether the picture of glyph n is drawn with its top-left at window pixel (px, py).
bool Shows(const ScreenReader& reader, const portable::PixelSurface& shot, int n, int32_t px, int32_t py) {
  const auto& glyph = reader.Glyph(n);
  if (!glyph || px + glyph->width > shot.width || py + glyph->height > shot.height) return false;
  for (int32_t j = 0; j < glyph->height; ++j) {
    for (int32_t i = 0; i < glyph->width; ++i) {
      if (shot.At(px + i, py + j) != glyph->At(i, j)) return false;
    }
  }
  return true;
}

// The disc left of a count (cell 9 of rows 4 and 5, where the game draws one at dots
// (54, 33) and (54, 41)): X for black, O for white, as the board reads; ? for neither.
char CountDisc(const ScreenReader& reader, const portable::PixelSurface& shot, int32_t dotY) {
  if (Shows(reader, shot, 15, DotPixel(54), DotPixel(dotY))) return 'X';
  if (Shows(reader, shot, 11, DotPixel(54), DotPixel(dotY))) return 'O';
  return '?';
}

}  // namespace

int ReadCursorSquare(const ScreenReader& reader, const portable::PixelSurface& shot) {
  // The box runs on the dot lines around a square; dots past the dot area (the bottom
  // row's lowest line) are never drawn. Two squares share at most one side, so one box
  // fits one square only.
  const auto lit = [&](int32_t x, int32_t y) {
    return y >= LcdDotsHigh || Shows(reader, shot, DarkDotGlyph, DotPixel(x), DotPixel(y));
  };
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      bool box = true;
      for (int k = 0; k <= 6 && box; ++k) {
        box = lit(x * 6 + k, y * 6) && lit(x * 6 + k, y * 6 + 6) && lit(x * 6, y * 6 + k) &&
              lit(x * 6 + 6, y * 6 + k);
      }
      if (box) return y * 8 + x;
    }
  }
  return -1;
}

void ScreenTextWebHost::WaitingForInput() {
  if (!glyphsLoaded_) glyphsLoaded_ = reader_.LoadGlyphs("/res/bmp") > 0;
  if (!glyphsLoaded_) return;
  rgba_.resize(size_t(ClientWidth) * ClientHeight * 4);
  const int copied = EM_ASM_INT(
      {
        var canvas = Module['canvas'] || document.querySelector('#screen');
        var ctx = Module['lcdContext'];
        if (!ctx || canvas.width != $1 || canvas.height != $2) return 0;
        HEAPU8.set(ctx.getImageData(0, 0, $1, $2).data, $0);
        return 1;
      },
      rgba_.data(), ClientWidth, ClientHeight);
  if (!copied) return;
  portable::PixelSurface shot(ClientWidth, ClientHeight);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    const uint8_t* p = &rgba_[i * 4];
    shot.pixels[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  // The face is drawn at the canvas's top-left, where `dfx read-screen` finds it too.
  const ScreenText text = reader_.ReadAt(shot, 0, 0);
  std::string lines;
  for (const auto& line : text.lines) lines += line + '\n';
  EM_ASM(
      {
        if (Module['showScreenText'])
          Module['showScreenText'](UTF8ToString($0), UTF8ToString($1), $2, String.fromCharCode($3, $4));
      },
      lines.c_str(), text.board.c_str(), ReadCursorSquare(reader_, shot), CountDisc(reader_, shot, 33),
      CountDisc(reader_, shot, 41));
}

}  // namespace dfx
