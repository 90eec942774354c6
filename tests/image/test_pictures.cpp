#include "test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include <unistd.h>

namespace dfx::testing {

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

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

// The process id keeps parallel runs of the tests (other build trees) apart.
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
  if (bpp <= 8) {
    palette = PaletteOf(s);
    if (palette.size() > (1u << bpp)) ADD_FAILURE() << "too many colours for " << bpp << " bits";
  }
  const uint32_t stride = (uint32_t(s.width) * uint32_t(bpp) + 31) / 32 * 4;
  const uint32_t paletteBytes = uint32_t(palette.size()) * 4;
  const uint32_t offBits = 54 + paletteBytes;
  Bytes b = {'B', 'M'};
  Put32(b, offBits + stride * uint32_t(s.height));
  Put32(b, 0);
  Put32(b, offBits);
  Put32(b, 40);
  Put32(b, uint32_t(s.width));
  Put32(b, topDown ? uint32_t(-s.height) : uint32_t(s.height));
  Put16(b, 1);
  Put16(b, uint32_t(bpp));
  Put32(b, 0);
  Put32(b, stride * uint32_t(s.height));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, uint32_t(palette.size()));
  Put32(b, 0);
  for (uint32_t c : palette) Put32(b, c);
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
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
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
  Put16(b, uint32_t(s.width));
  Put16(b, uint32_t(s.height));
  b.push_back(0xF7);  // global table of 256 entries
  b.push_back(0);
  b.push_back(0);
  for (uint32_t c : palette) {
    b.push_back(uint8_t(c >> 16));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c));
  }
  b.push_back(0x2C);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, uint32_t(s.width));
  Put16(b, uint32_t(s.height));
  b.push_back(0);
  b.push_back(8);  // minimum code size
  // 9-bit codes, with a clear code often enough that the code size never grows.
  std::vector<uint32_t> codes = {256};
  int sinceClear = 0;
  for (uint32_t c : s.pixels) {
    codes.push_back(IndexOf(palette, c));
    if (++sinceClear == 250) {
      codes.push_back(256);
      sinceClear = 0;
    }
  }
  codes.push_back(257);
  Bytes data;
  uint32_t acc = 0;
  int bits = 0;
  for (uint32_t code : codes) {
    acc |= code << bits;
    bits += 9;
    while (bits >= 8) {
      data.push_back(uint8_t(acc));
      acc >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) data.push_back(uint8_t(acc));
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    b.push_back(uint8_t(n));
    b.insert(b.end(), data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(i + n));
  }
  b.push_back(0);
  b.push_back(0x3B);
  return b;
}

Bytes PngHeaderBytes(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {w, h}) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
  }
  for (uint8_t v : {8, 2, 0, 0, 0, 0, 0, 0, 0}) b.push_back(v);  // depth, colour type, ..., CRC
  return b;
}

}  // namespace dfx::testing
