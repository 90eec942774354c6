#include "test_pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <fstream>

#include "image/little_endian.h"

namespace dfx::testing {

using dfx::PutLe16;
using dfx::PutLe32;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "dfx_image_" + std::to_string(getpid()) + "_" + name;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

portable::PixelSurface Pattern(int32_t w, int32_t h) {
  portable::PixelSurface s(w, h);
  for (uint32_t i = 0, x = 0, y = 0; i < s.pixels.size(); ++i, x = i % uint32_t(w), y = i / uint32_t(w))
    s.pixels[i] = x * 37 % 256 << 16 | y * 53 % 256 << 8 | (x + y) * 11 % 256;
  return s;
}

Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown, std::array<uint32_t, 3> masks) {
  std::vector<uint32_t> palette;  // colours in order of first appearance
  for (uint32_t p : s.pixels)
    if (bpp <= 8 && std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
  const bool fields = masks[0] != 0;
  const uint32_t stride = (uint32_t(s.width) * uint32_t(bpp) + 31) / 32 * 4,
                 offBits = 54 + uint32_t(palette.size()) * 4 + (fields ? 12 : 0);
  Bytes b = {'B', 'M'};
  for (uint32_t v : {offBits + stride * uint32_t(s.height), 0u, offBits, 40u, uint32_t(s.width),
                     topDown ? uint32_t(-s.height) : uint32_t(s.height)})
    PutLe32(b, v);
  for (uint32_t v : {1u, uint32_t(bpp)}) PutLe16(b, v);
  for (uint32_t v :
       {fields ? 3u : 0u, stride * uint32_t(s.height), 2835u, 2835u, uint32_t(palette.size()), 0u})
    PutLe32(b, v);
  for (uint32_t c : palette) PutLe32(b, c);
  if (fields)
    for (uint32_t m : masks) PutLe32(b, m);
  for (int32_t row = 0; row < s.height; ++row) {
    Bytes line(stride, 0);
    for (int32_t x = 0; x < s.width; ++x) {
      uint32_t c = s.At(x, topDown ? row : s.height - 1 - row), bit = uint32_t(x) * uint32_t(bpp);
      if (bpp <= 8)
        line[bit / 8] |=
            uint8_t((std::find(palette.begin(), palette.end(), c) - palette.begin()) << (8 - bpp - bit % 8));
      if (fields)  // each 8-bit channel moved to its mask
        c = (c >> 16 & 255) << std::countr_zero(masks[0]) | (c >> 8 & 255) << std::countr_zero(masks[1]) |
            (c & 255) << std::countr_zero(masks[2]);
      for (int k = 0; bpp > 8 && k < bpp / 8; ++k) line[bit / 8 + size_t(k)] = uint8_t(c >> 8 * k);
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

Bytes PngHeaderBytes(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {w, h, 0x08020000u})  // then depth 8, colour type 2
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
  b.insert(b.end(), 5, 0);  // interlace, CRC
  return b;
}

// An application segment to skip, then the frame header: its length, precision, sides and
// one component, cut to frameLength bytes (11 at most).
Bytes JpegHeaderBytes(uint16_t w, uint16_t h, uint8_t frameLength) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, frameLength, 8};
  for (uint16_t side : {h, w}) b.insert(b.end(), {uint8_t(side >> 8), uint8_t(side)});
  b.insert(b.end(), {1, 1, 0x11, 0});
  return Bytes(b.begin(), b.begin() + std::min<ptrdiff_t>(std::ssize(b), 10 + frameLength));
}

Bytes WithSides(Bytes b, int32_t w, int32_t h) {
  const size_t at = b[0] == 'B' ? 18 : 6, n = b[0] == 'B' ? 4 : 2;
  for (size_t i = 0; i < n; ++i) {
    b[at + i] = uint8_t(uint32_t(w) >> 8 * i);
    b[at + n + i] = uint8_t(uint32_t(h) >> 8 * i);
  }
  return b;
}

}  // namespace dfx::testing
