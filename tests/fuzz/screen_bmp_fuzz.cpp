// Any bytes as a screenshot for `dfx read-screen`: the BMP decoder refuses or decodes
// within the screenshot limit, and the screen read from the picture stays in bounds.
#include "fuzz_targets.h"
#include "image/portable/picture_decode.h"
#include "screen_reader/screen_reader.h"

namespace dfx::fuzz {

int FuzzScreenBmp(const uint8_t* data, size_t size) {
  auto decoded = portable::DecodeBmp(data, size, MaxScreenshotSide);
  if (!decoded) return 0;
  const portable::PixelSurface& shot = *decoded;
  Check(shot.width > 0 && shot.height > 0 && shot.width <= MaxScreenshotSide && shot.height <= MaxScreenshotSide,
        "decoded picture out of bounds");
  Check(shot.pixels.size() == size_t(shot.width) * size_t(shot.height), "pixel count does not match the size");
  // With the glyph set (run from the source tree) the face search and cell matching run too.
  static const ScreenReader reader = [] {
    ScreenReader r;
    r.LoadGlyphs("res/bmp");
    return r;
  }();
  Check(reader.Read(shot).board.size() == 64, "board read back is not 64 squares");
  return 0;
}

}  // namespace dfx::fuzz
