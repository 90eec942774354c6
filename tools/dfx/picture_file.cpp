// PNG output through SDL2_image; builds without it (Windows) say so instead.
#include "picture_file.h"

#include <cctype>
#include <cstdio>

#ifdef DFX_HAVE_SDL_IMAGE
#include <SDL.h>
#include <SDL_image.h>
#endif

namespace dfx::tool {

bool WantsPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".png";
}

#ifdef DFX_HAVE_SDL_IMAGE
bool WritePng(const std::string& path, const portable::PixelSurface& picture) {
  // SDL only reads the pixels, but its signature wants them mutable.
  portable::PixelSurface copy = picture;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(copy.pixels.data(), copy.width, copy.height, 32,
                                                            copy.width * 4, SDL_PIXELFORMAT_XRGB8888);
  bool ok = surface != nullptr && IMG_SavePNG(surface, path.c_str()) == 0;
  if (surface != nullptr) SDL_FreeSurface(surface);
  if (!ok) std::fprintf(stderr, "dfx: cannot write %s: %s\n", path.c_str(), SDL_GetError());
  return ok;
}
#else
bool WritePng(const std::string& path, const portable::PixelSurface&) {
  std::fprintf(stderr, "dfx: cannot write %s: this build has no PNG encoder\n", path.c_str());
  return false;
}
#endif

}  // namespace dfx::tool
