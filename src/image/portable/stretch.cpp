#include <algorithm>

#include "image/portable/image_object.h"

namespace dfx::portable {

uint32_t ApplyRop(uint32_t rop, uint32_t s, uint32_t d) {
  switch (rop) {
    case RopSrcCopy: return s;
    case RopSrcPaint: return s | d;
    case RopSrcAnd: return s & d;
    case RopSrcInvert: return s ^ d;
    case RopNotSrcCopy: return ~s & 0x00FFFFFF;
    case RopBlackness: return 0;
    case RopWhiteness: return 0x00FFFFFF;
    default: break;
  }
  // Bits 16..23 of a raster operation are its truth table over pattern, source and
  // destination bits (index P*4 + S*2 + D); the pattern is the default white brush.
  const uint32_t table = (rop >> 16) & 0xFF;
  const uint32_t p = 0x00FFFFFF;
  uint32_t r = 0;
  for (uint32_t i = 0; i < 8; ++i) {
    if (!(table >> i & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0x00FFFFFF;
}

int32_t StretchCopy(const PixelSurface& src, PixelSurface& dst, int32_t x, int32_t y, int32_t width,
                    int32_t height, uint32_t rop) {
  if (src.width <= 0 || src.height <= 0) return 0;
  if (width <= 0 || height <= 0) return 1;  // an empty rectangle is a successful no-op
  const int64_t x0 = std::max<int64_t>(x, 0);
  const int64_t y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t(x) + width, dst.width);
  const int64_t y1 = std::min<int64_t>(int64_t(y) + height, dst.height);
  for (int64_t dy = y0; dy < y1; ++dy) {
    const int32_t sy = int32_t((dy - y) * src.height / height);
    const uint32_t* srcRow = &src.pixels[size_t(sy) * size_t(src.width)];
    uint32_t* dstRow = &dst.pixels[size_t(dy) * size_t(dst.width)];
    for (int64_t dx = x0; dx < x1; ++dx) {
      const uint32_t s = srcRow[(dx - x) * src.width / width];
      dstRow[dx] = rop == RopSrcCopy ? s : ApplyRop(rop, s, dstRow[dx]);
    }
  }
  return 1;
}

}  // namespace dfx::portable
