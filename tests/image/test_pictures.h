// Picture files made byte by byte, so every decoder path and hostile variant can be
// produced without fixtures on disk, and the surfaces an image object draws into.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/portable/image_object.h"

namespace dfx::testing {

using Bytes = std::vector<uint8_t>;

std::string TempPath(const std::string& name);  // unique per process
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// A small picture with distinct colours in every row and column.
portable::PixelSurface Pattern(int32_t w, int32_t h);
// Uncompressed BMP at 1, 4, 8 (palette from the picture's colours), 24 or 32 bits.
Bytes BmpBytes(const portable::PixelSurface& s, int bpp, bool topDown);
// A GIF89a of the picture (at most 256 colours) with uncompressed 9-bit codes.
Bytes GifBytes(const portable::PixelSurface& s);
// Just enough of a PNG for the first-bytes test and the header size.
Bytes PngHeaderBytes(uint32_t w, uint32_t h);

// A window, a back buffer, and files in the temporary folder removed afterwards.
class SurfacesTest : public ::testing::Test {
 protected:
  SurfacesTest() : window(64, 48), back(100, 80) {
    surfaces.window = &window;
    surfaces.backBuffer = &back;
  }
  ~SurfacesTest() override {
    for (const auto& p : paths) std::remove(p.c_str());
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    paths.push_back(TempPath(name));
    WriteFileBytes(paths.back(), bytes);
    return paths.back();
  }
  std::string WriteBmp(const std::string& name, const portable::PixelSurface& picture) {
    return Write(name, BmpBytes(picture, 24, false));
  }
  static int CountNonBlack(const portable::PixelSurface& s) {
    int n = 0;
    for (uint32_t p : s.pixels) n += p != 0;
    return n;
  }

  portable::DrawTarget window;
  portable::DrawTarget back;
  portable::WindowSurfaces surfaces;
  std::vector<std::string> paths;
};

}  // namespace dfx::testing
