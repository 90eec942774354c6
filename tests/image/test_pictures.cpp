#include "test_pictures.h"

#include <algorithm>
#include <fstream>

#include <unistd.h>

#include "image/portable/little_endian.h"

namespace dfx::testing {
namespace {

using portable::PutLe16;
using portable::PutLe32;

std::vector<uint32_t> PaletteOf(const portable::PixelSurface& s) {
  std::vector<uint32_t> palette;
  for (uint32_t p : s.pixels) {
    if (std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
  }
  return palette;
}

uint32_t IndexOf(const std::vector<uint32_t>& palette, uint32_t c) {
  return uint32_t(std::find(palette.begin(), palette.end(), c) - palette.begin());
}

}  // namespace

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "dfx_image_" + std::to_string(getpid()) + "_" + name;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

portable::PixelSurface Pattern(int32_t w, int32_t h) {
  portable::PixelSurface s(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s.At(x, y) = uint32_t(x * 37 % 256) << 16 | uint32_t(y * 53 % 256) << 8 | uint32_t((x + y) * 11 % 256);
  }
  return s;
}

Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown) {
  std::vector<uint32_t> palette;
  if (bpp <= 8) palette = PaletteOf(s);
  const uint32_t stride = (uint32_t(s.width) * uint32_t(bpp) + 31) / 32 * 4;
  const uint32_t offBits = 54 + uint32_t(palette.size()) * 4;
  Bytes b = {'B', 'M'};
  for (uint32_t v : {offBits + stride * uint32_t(s.height), 0u, offBits, 40u, uint32_t(s.width),
                     topDown ? uint32_t(-s.height) : uint32_t(s.height)}) {
    PutLe32(b, v);
  }
  PutLe16(b, 1);
  PutLe16(b, uint32_t(bpp));
  for (uint32_t v : {0u, stride * uint32_t(s.height), 2835u, 2835u, uint32_t(palette.size()), 0u}) PutLe32(b, v);
  for (uint32_t c : palette) PutLe32(b, c);
  for (int32_t row = 0; row < s.height; ++row) {
    const int32_t y = topDown ? row : s.height - 1 - row;
    Bytes line(stride, 0);
    for (int32_t x = 0; x < s.width; ++x) {
      const uint32_t c = s.At(x, y);
      if (bpp <= 8) {
        const uint32_t bit = uint32_t(x) * uint32_t(bpp);
        line[bit / 8] |= uint8_t(IndexOf(palette, c) << (8 - bpp - bit % 8));
      } else {
        uint8_t* p = &line[size_t(x) * size_t(bpp / 8)];
        p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

Bytes GifBytes(const portable::PixelSurface& s) {
  std::vector<uint32_t> palette = PaletteOf(s);
  palette.resize(256, 0);
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  PutLe16(b, uint32_t(s.width));
  PutLe16(b, uint32_t(s.height));
  b.insert(b.end(), {0xF7, 0, 0});  // global table of 256 entries
  for (uint32_t c : palette) b.insert(b.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  b.push_back(0x2C);
  for (uint32_t v : {0u, 0u, uint32_t(s.width), uint32_t(s.height)}) PutLe16(b, v);
  b.insert(b.end(), {0, 8});  // no local table, minimum code size 8
  // A clear code often enough that the code size never grows past 9 bits.
  std::vector<uint32_t> codes = {256};
  for (size_t i = 0; i < s.pixels.size(); ++i) {
    codes.push_back(IndexOf(palette, s.pixels[i]));
    if (i % 250 == 249) codes.push_back(256);
  }
  codes.push_back(257);
  Bytes data;
  uint32_t acc = 0;
  int bits = 0;
  for (uint32_t code : codes) {
    acc |= code << bits;
    for (bits += 9; bits >= 8; bits -= 8, acc >>= 8) data.push_back(uint8_t(acc));
  }
  if (bits > 0) data.push_back(uint8_t(acc));
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    b.push_back(uint8_t(n));
    b.insert(b.end(), data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(i + n));
  }
  b.insert(b.end(), {0, 0x3B});
  return b;
}

Bytes PngHeaderBytes(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {w, h}) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
  }
  b.insert(b.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});  // depth, colour type, ..., CRC
  return b;
}

}  // namespace dfx::testing
