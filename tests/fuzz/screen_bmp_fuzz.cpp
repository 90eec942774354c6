// Any bytes as a screenshot for `dfx read-screen`: the reader's BMP decoder must
// refuse or decode in bounds, and agree pixel for pixel with the glyph loader's own
// decoder on every file both accept.
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
  auto other = portable::DecodeBmp(data, size);
  if (other) {
    Check(other->width == shot.width && other->height == shot.height, "the two BMP decoders disagree on size");
    Check(other->pixels == shot.pixels, "the two BMP decoders disagree on pixels");
  }
  // Reading a screen out of any picture must stay in bounds, with or without glyphs.
  // With the real glyph set (when run from the source tree) the face search and the
  // cell matching run too.
  static const ScreenReader reader = [] {
    ScreenReader r;
    r.LoadGlyphs("res/bmp");
    return r;
  }();
  ScreenText text = reader.Read(shot);
  Check(text.board.size() == 64, "board read back is not 64 squares");
  return 0;
}

}  // namespace dfx::fuzz
