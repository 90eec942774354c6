// dfx read-screen FILE [--glyphs DIR] [--json]: the LCD's six text lines and 64 board
// squares, read out of a picture of the window (or a larger screenshot).
#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#ifdef DFX_HAVE_SDL_IMAGE
#include <SDL.h>
#include <SDL_image.h>
#endif

#include "image/picture_headers.h"
#include "json_output.h"
#include "screen_reader/screen_reader.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

#ifdef DFX_HAVE_SDL_IMAGE
bool ReadPicture(const std::string& path, portable::PixelSurface* out) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  if (rgb == nullptr) return false;
  bool ok = rgb->w > 0 && rgb->h > 0 && rgb->w <= MaxScreenshotSide && rgb->h <= MaxScreenshotSide &&
            SDL_LockSurface(rgb) == 0;
  if (ok) {
    portable::PixelSurface picture(rgb->w, rgb->h);
    for (int y = 0; y < rgb->h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) +
                                                          size_t(y) * size_t(rgb->pitch));
      for (int x = 0; x < rgb->w; ++x) picture.At(x, y) = row[x] & 0xFFFFFFu;
    }
    SDL_UnlockSurface(rgb);
    *out = std::move(picture);
  }
  SDL_FreeSurface(rgb);
  return ok;
}
#else
bool ReadPicture(const std::string& path, portable::PixelSurface* out) { return ReadBmpFile(path, out); }
#endif

// The sides a picture's header announces, read before any decoder allocates for them: a
// PNG's header chunk, or our own reading of a BMP, GIF or JPEG header in the first 64 KiB.
std::optional<PictureSize> AnnouncedSize(const std::string& path) {
  std::vector<uint8_t> head(65536);
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
  head.resize(size_t(in.gcount()));
  if (head.size() < 24) return std::nullopt;
  const PictureKind kind = DetectKind(head.data());
  if (kind != PictureKind::Png) return PeekPictureSize(kind, head.data(), head.size(), INT32_MAX);
  const auto be32 = [&](size_t at) {
    return int64_t(head[at]) << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3];
  };
  return PictureSize{int32_t(std::min<int64_t>(be32(16), INT32_MAX)),
                     int32_t(std::min<int64_t>(be32(20), INT32_MAX))};
}

struct Options {
  std::string file, glyphDir = "res/bmp";
  bool json = false;
};

int Run(const Options& o) {
  const std::string& glyphDir = o.glyphDir;
  ScreenReader reader;
  if (reader.LoadGlyphs(glyphDir) == 0) {
    std::fprintf(stderr, "dfx read-screen: no glyphs in %s\n", glyphDir.c_str());
    return 1;
  }
  const auto announced = AnnouncedSize(o.file);
  if (announced && std::max(announced->width, announced->height) > MaxScreenshotSide) {
    std::fprintf(stderr, "dfx read-screen: %s is %dx%d, larger than a screenshot may be (%d on a side)\n",
                 o.file.c_str(), announced->width, announced->height, MaxScreenshotSide);
    return 1;
  }
  portable::PixelSurface shot;
  if (!ReadPicture(o.file, &shot)) {
    std::fprintf(stderr, "dfx read-screen: cannot read picture %s\n", o.file.c_str());
    return 1;
  }
  const ScreenText screen = reader.Read(shot);
  if (!screen.found) std::fprintf(stderr, "dfx read-screen: no LCD face found; reading from the top-left\n");
  const std::string text = o.json ? ScreenJson(screen) : FormatScreenText(screen);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

std::function<int()> Setup(CLI::App& command) {
  auto o = std::make_shared<Options>();
  command.add_option("file", o->file, "a picture of the window, or a larger screenshot")->required();
  command.add_option("--glyphs", o->glyphDir, "the glyph set to read with");
  command.add_flag("--json", o->json, "print the screen as JSON");
  return [o] { return Run(*o); };
}

const Subcommand registration("read-screen", "read the LCD's text and board out of a screenshot", Setup);

}  // namespace
}  // namespace dfx::tool
