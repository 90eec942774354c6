#include <bit>
#include <vector>

#include "image/little_endian.h"
#include "image/portable/picture_decode.h"

namespace dfx::portable {

namespace {

constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiBitfields = 3;

// One colour channel described by a bit mask, widened to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    int bits = std::countr_one(m >> shift);
    max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  }
  uint32_t Get(uint32_t v) const {
    if (max == 0) return 0;
    return uint32_t(uint64_t((v & mask) >> shift) * 255 / max);
  }
};

}  // namespace

std::optional<PixelSurface> DecodeBmp(const uint8_t* d, size_t n, int32_t maxSide) {
  auto size = PeekPictureSize(PictureKind::Bmp, d, n, maxSide);
  if (!size) return std::nullopt;
  const uint32_t headerSize = Le32(d + 14);
  const bool core = headerSize == 12;
  const size_t headerEnd = 14 + size_t(headerSize);
  if (n < headerEnd || (!core && n < 54)) return std::nullopt;

  const uint32_t planes = Le16(d + (core ? 22 : 26));
  const uint32_t bpp = Le16(d + (core ? 24 : 28));
  const uint32_t compression = core ? BiRgb : Le32(d + 30);
  const bool topDown = !core && int32_t(Le32(d + 22)) < 0;
  if (planes != 1) return std::nullopt;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return std::nullopt;
  if (compression != BiRgb && !(compression == BiBitfields && bpp == 32)) return std::nullopt;

  // Bit masks sit after a plain info header, or inside the larger headers.
  uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
  size_t paletteStart = headerEnd;
  if (compression == BiBitfields) {
    if (n < 66) return std::nullopt;
    for (int i = 0; i < 3; ++i) masks[i] = Le32(d + 54 + 4 * i);
    if (headerSize == 40) paletteStart += 12;
  }

  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    const uint32_t entryBytes = core ? 3 : 4;
    uint32_t count = core ? 0 : Le32(d + 46);
    if (count == 0 || count > (1u << bpp)) count = 1u << bpp;
    if (n < paletteStart || (n - paletteStart) / entryBytes < count) return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = d + paletteStart + size_t(i) * entryBytes;
      palette.push_back(uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0]);
    }
  }

  const int32_t w = size->width;
  const int32_t h = size->height;
  const size_t stride = (size_t(w) * bpp + 31) / 32 * 4;
  const size_t offBits = Le32(d + 10);
  if (offBits > n || (n - offBits) / stride < size_t(h)) return std::nullopt;

  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  PixelSurface out(w, h);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* src = d + offBits + size_t(row) * stride;
    const int32_t y = topDown ? row : h - 1 - row;
    for (int32_t x = 0; x < w; ++x) {
      uint32_t c = 0;
      if (bpp <= 8) {
        const uint32_t bitPos = uint32_t(x) * bpp;
        const uint32_t index = (src[bitPos / 8] >> (8 - bpp - bitPos % 8)) & ((1u << bpp) - 1);
        // An index past a short palette shows black rather than reading beyond it.
        c = index < palette.size() ? palette[index] : 0;
      } else if (bpp == 24) {
        const uint8_t* p = src + size_t(x) * 3;
        c = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      } else {
        const uint32_t v = Le32(src + size_t(x) * 4);
        c = red.Get(v) << 16 | green.Get(v) << 8 | blue.Get(v);
      }
      out.At(x, y) = c;
    }
  }
  return out;
}

}  // namespace dfx::portable
