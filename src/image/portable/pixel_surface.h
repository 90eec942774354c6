// The portable stand-in for GDI bitmaps and device contexts: 32-bit pixel surfaces.
// A DrawTarget is a surface shared between the game thread (which draws) and a
// window thread (which presents it), so it carries its own lock and a dirty mark.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace dfx::portable {

// Pixels are 0x00RRGGBB, row-major, top row first.
struct PixelSurface {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  PixelSurface() = default;
  PixelSurface(int32_t w, int32_t h, uint32_t fill = 0)
      : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  uint32_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct DrawTarget {
  PixelSurface surface;
  std::mutex mutex;
  std::atomic<bool> dirty{false};

  DrawTarget(int32_t w, int32_t h, uint32_t fill = 0) : surface(w, h, fill) {}
};

// Writes a surface (or its top-left w x h part) as a 24-bit bottom-up uncompressed BMP.
bool WriteBmp24(const char* path, const PixelSurface& surface, int32_t w = -1, int32_t h = -1);

}  // namespace dfx::portable
