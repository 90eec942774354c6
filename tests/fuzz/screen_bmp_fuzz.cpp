// Any bytes as a screenshot for `dfx read-screen`: the reader's BMP decoder refuses or
// decodes in bounds, agrees pixel for pixel with the glyph loader's decoder, and the
// screen read from the picture stays in bounds.
#include "fuzz_targets.h"
#include "image/portable/picture_decode.h"
#include "lcd/screen_reader.h"

namespace dfx::fuzz {

int FuzzScreenBmp(const uint8_t* data, size_t size) {
  portable::PixelSurface shot;
  if (!DecodeBmp(data, size, &shot)) return 0;
  Check(shot.width > 0 && shot.height > 0 && shot.width <= MaxBmpSide && shot.height <= MaxBmpSide,
        "decoded picture out of bounds");
  Check(shot.pixels.size() == size_t(shot.width) * size_t(shot.height), "pixel count does not match the size");
  if (auto other = portable::DecodeBmp(data, size)) {
    Check(other->width == shot.width && other->height == shot.height && other->pixels == shot.pixels,
          "the two BMP decoders disagree");
  }
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
