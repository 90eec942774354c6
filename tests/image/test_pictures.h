// Picture files made byte by byte, so every decoder path and hostile variant can be
// produced without fixtures on disk; shared by the portable, Win32 and fuzz-seed code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/portable/pixel_surface.h"

namespace dfx::testing {

using Bytes = std::vector<uint8_t>;

std::string TempPath(const std::string& name);  // unique per process
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// A small picture with distinct colours in every row and column.
portable::PixelSurface Pattern(int32_t w, int32_t h);
// Uncompressed BMP at 1, 4, 8 (palette from the picture's colours), 24 or 32 bits.
Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown);
// A GIF89a of the picture (at most 256 colours) with uncompressed 9-bit codes.
Bytes GifBytes(const portable::PixelSurface& s);
// Just enough of a PNG or a JPEG for the first-bytes test and the header size.
Bytes PngHeaderBytes(uint32_t w, uint32_t h);
Bytes JpegHeaderBytes(uint16_t w, uint16_t h);
// A BMP's or GIF's header made to announce other sides (the GIF's screen).
Bytes WithSides(Bytes picture, int32_t w, int32_t h);

}  // namespace dfx::testing
