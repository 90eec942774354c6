// The sizes that picture headers announce, read by our own code before any decoder
// (ours, SDL2_image or the Windows loaders) sees the bytes, so that a hostile file is
// refused before anything allocates for it. Shared by both image objects.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/image.h"

namespace dfx {

// Largest width or height we decode. Glyphs are at most a few hundred pixels; this
// leaves room for any real picture while keeping a decode under 64 MiB.
constexpr int32_t MaxPictureSide = 4096;
// Files larger than this are not read at all (a 4096x4096 32-bit BMP plus slack).
constexpr size_t MaxPictureFileBytes = size_t(MaxPictureSide) * MaxPictureSide * 4 + (1u << 20);

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Pixel size a BMP, GIF or JPEG header announces, or nothing when the header is
// truncated, malformed or out of bounds (either side 0 or above maxSide).
std::optional<PictureSize> PeekPictureSize(PictureKind kind, const uint8_t* data, size_t size,
                                           int32_t maxSide = MaxPictureSide);

}  // namespace dfx
