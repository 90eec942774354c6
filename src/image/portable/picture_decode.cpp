#include "image/portable/picture_decode.h"

#if DFX_HAVE_SDL_IMAGE
#include <SDL.h>
#include <SDL_image.h>

#include <mutex>
#endif

namespace dfx::portable {

#if DFX_HAVE_SDL_IMAGE

namespace {

// The decoders need no video subsystem, but their set-up is not thread-safe, and
// tests load from several threads; one decode at a time is plenty for glyphs.
std::mutex decodeMutex;

SDL_Surface* DecodeWithSdl(PictureKind kind, const uint8_t* data, size_t size) {
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) return nullptr;
  SDL_Surface* s = nullptr;
  switch (kind) {
    case PictureKind::Bmp: s = IMG_LoadBMP_RW(rw); break;
    case PictureKind::Gif: s = IMG_LoadGIF_RW(rw); break;
    case PictureKind::Jpeg: s = IMG_LoadJPG_RW(rw); break;
    default: break;
  }
  SDL_RWclose(rw);
  return s;
}

}  // namespace

std::optional<PixelSurface> DecodePicture(PictureKind kind, const uint8_t* data, size_t size) {
  auto announced = PeekPictureSize(kind, data, size);
  if (!announced || size > MaxPictureFileBytes) return std::nullopt;
  // Our own BMP decoder first: SDL refuses 32-bit bit fields with a mask in the top byte.
  if (auto ours = kind == PictureKind::Bmp ? DecodeBmp(data, size) : std::nullopt) return ours;
  std::lock_guard<std::mutex> guard(decodeMutex);
  static const bool initialised = [] {
    IMG_Init(IMG_INIT_JPG);
    return true;
  }();
  (void)initialised;
  SDL_Surface* decoded = DecodeWithSdl(kind, data, size);
  if (!decoded) return std::nullopt;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(decoded);
  if (!rgb) return std::nullopt;
  std::optional<PixelSurface> out;
  // The decoder may disagree with the header we read; trust neither beyond the bound.
  if (rgb->w > 0 && rgb->h > 0 && rgb->w <= MaxPictureSide && rgb->h <= MaxPictureSide &&
      SDL_LockSurface(rgb) == 0) {
    out.emplace(rgb->w, rgb->h);
    for (int y = 0; y < rgb->h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) +
                                                          size_t(y) * rgb->pitch);
      for (int x = 0; x < rgb->w; ++x) out->At(x, y) = row[x] & 0x00FFFFFF;
    }
    SDL_UnlockSurface(rgb);
  }
  SDL_FreeSurface(rgb);
  return out;
}

#else

std::optional<PixelSurface> DecodePicture(PictureKind kind, const uint8_t* data, size_t size) {
  if (kind == PictureKind::Bmp && size <= MaxPictureFileBytes) return DecodeBmp(data, size);
  return std::nullopt;
}

#endif

}  // namespace dfx::portable
