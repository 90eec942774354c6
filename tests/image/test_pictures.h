// Picture files made byte by byte, so every decoder path and hostile variant can be
// produced from a few lines; shared by the portable and the Win32 tests.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/portable/pixel_surface.h"

namespace dfx::testing {

using Bytes = std::vector<uint8_t>;

std::string TempPath(const std::string& name);  // unique per process
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// A small picture with distinct colours in every row and column.
portable::PixelSurface Pattern(int32_t w, int32_t h);
// Uncompressed BMP at 1, 4, 8 (palette from the picture's colours), 24 or 32 bits; with
// masks (red, green, blue: eight bits each) a 32-bit one with bit fields.
Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown, std::array<uint32_t, 3> masks = {});
// Just enough of a PNG or a JPEG for the first-bytes test and the header size.
Bytes PngHeaderBytes(uint32_t w, uint32_t h);
Bytes JpegHeaderBytes(uint16_t w, uint16_t h, uint8_t frameLength = 11);
// A BMP's or GIF's header made to announce other sides (the GIF's screen).
Bytes WithSides(Bytes picture, int32_t w, int32_t h);

}  // namespace dfx::testing
