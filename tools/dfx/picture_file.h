// Pictures dfx writes for people rather than for the game: PNG files (icons for the
// desktop, screenshots for the software centre), encoded by SDL2_image where it exists.
#pragma once
#include <string>

#include "image/portable/pixel_surface.h"

namespace dfx::tool {

// False, with a one-line message on stderr, when the file cannot be written or this
// build has no PNG encoder.
bool WritePng(const std::string& path, const portable::PixelSurface& picture);

// The file name asks for PNG (ends in ".png", any case).
bool WantsPng(const std::string& path);

}  // namespace dfx::tool
