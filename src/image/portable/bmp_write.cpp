#include <cstdio>
#include <vector>

#include "image/little_endian.h"
#include "image/portable/pixel_surface.h"

namespace dfx::portable {

bool WriteBmp24(const char* path, const PixelSurface& surface, int32_t w, int32_t h) {
  if (w < 0 || w > surface.width) w = surface.width;
  if (h < 0 || h > surface.height) h = surface.height;
  const uint32_t rowBytes = (uint32_t(w) * 3 + 3) & ~3u;
  const uint32_t dataBytes = rowBytes * uint32_t(h);
  std::vector<uint8_t> out;
  out.reserve(54 + dataBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, 54 + dataBytes);
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, uint32_t(w));
  PutLe32(out, uint32_t(h));
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);  // BI_RGB
  PutLe32(out, dataBytes);
  PutLe32(out, 2835);  // 72 dpi
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int32_t y = h - 1; y >= 0; --y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t p = surface.At(x, y);
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
    }
    for (uint32_t pad = uint32_t(w) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace dfx::portable
