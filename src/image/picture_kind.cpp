#include "image/image.h"

namespace dfx {

PictureKind DetectKind(const uint8_t b[8]) {
  if (b[0] == 0x42 && b[1] == 0x4D) return PictureKind::Bmp;
  if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46) return PictureKind::Gif;
  if (b[0] == 0xFF && b[1] == 0xD8) return PictureKind::Jpeg;
  static const uint8_t png[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  bool isPng = true;
  for (int i = 0; i < 8; ++i) isPng = isPng && b[i] == png[i];
  return isPng ? PictureKind::Png : PictureKind::None;
}

void ResolveDrawSize(int32_t& width, int32_t& height, int32_t bw, int32_t bh) {
  if (width <= 0 && height <= 0) {
    width = bw;
    height = bh;
    return;
  }
  // A zero-sized bitmap cannot give a ratio; draw nothing rather than divide by zero.
  if (height <= 0) {
    height = bw > 0 ? static_cast<int32_t>(width * (static_cast<double>(bh) / bw)) : 0;
  }
  if (width <= 0) {
    width = bh > 0 ? static_cast<int32_t>(height * (static_cast<double>(bw) / bh)) : 0;
  }
}

}  // namespace dfx
