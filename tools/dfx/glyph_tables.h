// The glyph set's content: a 5x7 dot font for the printable characters and the
// pictures of the dots, marks, board squares, disc frames and the blank LCD face,
// all drawn in LCD dots of 4x4 pixels on a pale grey-green face.
#pragma once
#include <cstdint>

#include "image/portable/pixel_surface.h"

namespace dfx::tool {

constexpr uint32_t FaceColour = 0xB4C3A4;      // the glass between the dots
constexpr uint32_t BlankDotColour = 0xA9B899;  // an unlit dot, faintly visible
constexpr uint32_t DarkDotColour = 0x28302A;   // a lit dot

// Whether the set holds a picture for image number n (0..256).
bool GlyphDefined(int n);
// The picture of image number n; false (and out untouched) for numbers left out.
bool RenderGlyph(int n, portable::PixelSurface* out);

}  // namespace dfx::tool
