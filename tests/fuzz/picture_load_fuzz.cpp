// Any bytes as a glyph file, through the image object's whole load path (first-bytes
// test, then the BMP, GIF or JPEG decoder or the PNG header), then drawn clipped and
// stretched into a small window and back buffer.
#include <cstring>

#include "fuzz_targets.h"
#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"

namespace dfx::fuzz {

int FuzzPictureLoad(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("glyph.bmp", data, size);
  static portable::DrawTarget window(40, 30, 0x123456), backBuffer(50, 20, 0x654321);
  static const portable::WindowSurfaces surfaces{&window, &backBuffer};
  portable::ImageObject image(&surfaces);
  image.SetCaptureDelay(-1);  // the capture thread's races are the sanitizer builds' job
  const int32_t loaded = image.Load(path.c_str());
  Check(loaded == 0 || loaded == 1, "Load gave neither 0 nor 1");

  uint8_t head[24] = {};
  std::memcpy(head, data, size < 24 ? size : 24);
  const PictureKind kind = DetectKind(head);
  const portable::PictureLoader& loader = image.Loader();
  Check(loader.kind == kind, "the loader's kind is not the first-bytes kind");
  if (kind == PictureKind::Png || kind == PictureKind::None) Check(loaded == 0, "a PNG or an unknown kind loaded");
  if (kind == PictureKind::Png) {
    const auto be32 = [&](int at) {
      return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    Check(uint32_t(loader.width) == be32(16) && uint32_t(loader.height) == be32(20), "PNG size is not the header's");
  }
  const int32_t w = image.BitmapWidth(), h = image.BitmapHeight();
  if (loaded == 1) {
    Check(w > 0 && h > 0 && w <= portable::MaxPictureSide && h <= portable::MaxPictureSide, "unbounded size loaded");
    Check(loader.width == w && loader.height == h, "loader size differs from the bitmap's");
  } else {
    Check(w == 0 && h == 0, "a failed load left a bitmap behind");
  }

  image.BindToWindow();
  // Natural size, clipped at every edge, stretched, shrunk to a pixel, a derived side.
  const int32_t draws[][5] = {{0, 0, 0, 0, 0},    {-7, -3, 0, 0, 1},   {35, 25, 0, 0, 2},
                              {-100, 5, 300, 9, 3}, {3, 3, 1, 1, 0},   {2, -40, 0, 77, 1},
                              {1, 1, 45, 0, 2},     {10, 10, -5, -5, 3}, {0, 0, 100000, 100000, 0}};
  const uint32_t rops[] = {RopSrcCopy, RopSrcInvert, 0x00AA0029 /* destination unchanged */, RopNotSrcCopy};
  for (const auto& d : draws) {
    Check(image.Draw(d[0], d[1], d[2], d[3], rops[d[4]]) == loaded, "Draw's result does not follow the load");
  }
  return 0;
}

}  // namespace dfx::fuzz
