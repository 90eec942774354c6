#include <cstdlib>

#include "image/picture_headers.h"

#include "image/little_endian.h"

namespace dfx {

namespace {

uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | uint32_t(p[1]); }

std::optional<PictureSize> Bounded(int64_t w, int64_t h, int32_t maxSide) {
  if (w <= 0 || h <= 0 || w > maxSide || h > maxSide) return std::nullopt;
  return PictureSize{int32_t(w), int32_t(h)};
}

std::optional<PictureSize> BmpSize(const uint8_t* d, size_t n, int32_t maxSide) {
  if (n < 18) return std::nullopt;
  uint32_t headerSize = Le32(d + 14);
  if (headerSize == 12) {
    if (n < 26) return std::nullopt;
    return Bounded(Le16(d + 18), Le16(d + 20), maxSide);
  }
  if (headerSize < 40 || n < 26) return std::nullopt;
  int64_t w = int32_t(Le32(d + 18));
  int64_t h = int32_t(Le32(d + 22));
  // A negative height means top-down rows; the size is its magnitude.
  return Bounded(w, std::llabs(h), maxSide);
}

// The logical screen must fit, and the first image lie inside it: decoders size
// their canvas from the screen and paint the image into it unclipped.
std::optional<PictureSize> GifSize(const uint8_t* d, size_t n, int32_t maxSide) {
  if (n < 13) return std::nullopt;
  auto screen = Bounded(Le16(d + 6), Le16(d + 8), maxSide);
  if (!screen) return std::nullopt;
  size_t pos = 13;
  if (d[10] & 0x80) pos += size_t(3) << ((d[10] & 7) + 1);
  while (pos < n) {
    uint8_t block = d[pos];
    if (block == 0x2C) {
      if (n - pos < 10) return std::nullopt;
      int64_t right = int64_t(Le16(d + pos + 1)) + Le16(d + pos + 5);
      int64_t bottom = int64_t(Le16(d + pos + 3)) + Le16(d + pos + 7);
      if (!Bounded(Le16(d + pos + 5), Le16(d + pos + 7), maxSide) || right > screen->width ||
          bottom > screen->height) {
        return std::nullopt;
      }
      return screen;
    }
    if (block != 0x21 || n - pos < 2) return std::nullopt;
    pos += 2;  // introducer and label, then data sub-blocks up to a zero length
    for (;;) {
      if (pos >= n) return std::nullopt;
      uint8_t len = d[pos++];
      if (len == 0) break;
      pos += len;
    }
  }
  return std::nullopt;
}

std::optional<PictureSize> JpegSize(const uint8_t* d, size_t n, int32_t maxSide) {
  size_t pos = 2;
  for (;;) {
    if (pos >= n || d[pos] != 0xFF) return std::nullopt;
    while (pos < n && d[pos] == 0xFF) ++pos;
    if (pos >= n) return std::nullopt;
    uint8_t marker = d[pos++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length field
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;           // image data before any frame
    if (n - pos < 2) return std::nullopt;
    uint32_t len = Be16(d + pos);
    if (len < 2 || n - pos < len) return std::nullopt;
    bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (len < 7) return std::nullopt;
      return Bounded(Be16(d + pos + 5), Be16(d + pos + 3), maxSide);
    }
    pos += len;
  }
}

}  // namespace

std::optional<PictureSize> PeekPictureSize(PictureKind kind, const uint8_t* data, size_t size,
                                           int32_t maxSide) {
  switch (kind) {
    case PictureKind::Bmp: return BmpSize(data, size, maxSide);
    case PictureKind::Gif: return GifSize(data, size, maxSide);
    case PictureKind::Jpeg: return JpegSize(data, size, maxSide);
    default: return std::nullopt;
  }
}

}  // namespace dfx
