// Picture files made byte by byte for the image tests, so that every decoder path
// and every hostile variant can be produced without fixtures on disk.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/portable/pixel_surface.h"

namespace dfx::testing {

using Bytes = std::vector<uint8_t>;

// A file path in the test's temporary folder, unique per name.
std::string TempPath(const std::string& name);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

// A small picture with distinct colours in every row and column.
portable::PixelSurface Pattern(int32_t w, int32_t h);

// Uncompressed BMP at 1, 4, 8 (palette made from the picture's colours), 24 or 32 bits.
Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown);
// A GIF89a of the picture (at most 256 colours), coded without compression gains.
Bytes GifBytes(const portable::PixelSurface& s);
// Just enough of a PNG for the first-bytes test and the header size.
Bytes PngHeaderBytes(uint32_t w, uint32_t h);

}  // namespace dfx::testing
