// Turning the bytes of a picture file into a pixel surface, away from the Windows
// loaders. Sizes are read from the headers ourselves first, so that a hostile file
// is refused before any decoder allocates for it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/image.h"
#include "image/picture_headers.h"
#include "image/portable/pixel_surface.h"

namespace dfx::portable {

// Our own BMP decoder: uncompressed 1/4/8/24/32-bit (32-bit also with bit fields),
// bottom-up or top-down, core or info headers, at most maxSide on a side (screenshots
// read back by the tools may be larger than any glyph). Every read is bounds-checked.
std::optional<PixelSurface> DecodeBmp(const uint8_t* data, size_t size, int32_t maxSide = MaxPictureSide);

// The platform decoder for a file of a known kind: SDL2_image where it is built in,
// otherwise our own BMP decoder, with GIF and JPEG undecodable.
std::optional<PixelSurface> DecodePicture(PictureKind kind, const uint8_t* data, size_t size);

}  // namespace dfx::portable
