#include "app/web_screen_text.h"

#include <emscripten.h>

#include "lcd/lcd.h"

namespace dfx {

namespace {

// Whether the dot at LCD dot coordinates (x, y) shows the dark dot picture.
bool DarkDot(const ScreenReader& reader, const portable::PixelSurface& shot, int32_t x, int32_t y) {
  const auto& dot = reader.Glyph(DarkDotGlyph);
  if (!dot || dot->width < DotPixels || dot->height < DotPixels) return false;
  const int32_t px = DotPixel(x), py = DotPixel(y);
  if (px + DotPixels > shot.width || py + DotPixels > shot.height) return false;
  for (int32_t j = 0; j < DotPixels; ++j) {
    for (int32_t i = 0; i < DotPixels; ++i) {
      if (shot.At(px + i, py + j) != dot->At(i, j)) return false;
    }
  }
  return true;
}

}  // namespace

int ReadCursorSquare(const ScreenReader& reader, const portable::PixelSurface& shot) {
  // The box runs on the dot lines around a square; dots past the dot area (the bottom
  // row's lowest line) are never drawn. Two squares share at most one side, so one box
  // fits one square only.
  const auto lit = [&](int32_t x, int32_t y) { return y >= LcdDotsHigh || DarkDot(reader, shot, x, y); };
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
        if (Module['showScreenText']) Module['showScreenText'](UTF8ToString($0), UTF8ToString($1), $2);
      },
      lines.c_str(), text.board.c_str(), ReadCursorSquare(reader_, shot));
}

}  // namespace dfx
