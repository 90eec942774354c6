// Writes the fuzzers' seed corpora: start-position files in each line-end style and row
// form, and small pictures of every kind the loader tells apart (BMP at every depth it
// decodes, GIF, and JPEG and PNG encoded by SDL_image). Usage: make_seeds DIR
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <filesystem>

#include "test_pictures.h"

namespace fs = std::filesystem;
using namespace dfx::testing;
using namespace std::string_literals;

static void WriteText(const fs::path& path, const std::string& text) { WriteFileBytes(path, Bytes(text.begin(), text.end())); }

// Encodes the picture by SDL_image; false if it could not.
static bool Save(const dfx::portable::PixelSurface& s, const fs::path& path, bool jpeg) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(s.pixels.data()), s.width, s.height, 32, s.width * 4, SDL_PIXELFORMAT_RGB888);
  const int failed = jpeg ? IMG_SaveJPG(surface, path.c_str(), 80) : IMG_SavePNG(surface, path.c_str());
  return SDL_FreeSurface(surface), failed == 0;
}

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: make_seeds DIR\n"), 2;
  const fs::path root = argv[1], board = root / "start_position", picture = root / "picture_load";
  for (const char* dir : {"start_position", "picture_load", "screen_bmp"}) fs::create_directories(root / dir);

  for (auto [name, end] : {std::pair{"crlf.txt", "\r\n"}, {"lf.txt", "\n"}, {"cr.txt", "\r"}})
    WriteText(board / name, "00000000"s + end + "00000000" + end + "00000000" + end + "00012000" + end + "00021000" + end +
                            "00000000" + end + "00000000" + end + "00000000" + end);
  WriteText(board / "commas.txt", "  00000000,\t00000000,\"0,0\"000000,00012000,00021000,0,00000000,00000000\n");
  WriteText(board / "short_rows.txt", "0\n00\n012\n000120009\n0002x1\n");
  WriteText(board / "odd_digits.txt", "39393939\n00000000\n78787878\n00012000\n00021000\n45454545\n\0\n66666666\n"s);

  const auto small = Pattern(7, 5);
  for (const char* dir : {"picture_load", "screen_bmp"})
    for (int bpp : {24, 32})
      for (bool top : {false, true})
        WriteFileBytes(root / dir / ("bmp" + std::to_string(bpp) + (top ? "_top" : "_bottom") + ".bmp"), BmpBytes(small, bpp, top));
  for (int bpp : {1, 4, 8}) {
    // At most 2^bpp colours, for the palette depths.
    dfx::portable::PixelSurface few(9, 4);
    for (int i = 0; i < 36; ++i) few.At(i % 9, i / 9) = uint32_t(i % 9 + 3 * (i / 9)) % (1u << bpp) * 0x0F1F2F;
    WriteFileBytes(picture / ("bmp" + std::to_string(bpp) + ".bmp"), BmpBytes(few, bpp, false));
  }
  WriteFileBytes(picture / "picture.gif", GifBytes(small));
  WriteFileBytes(picture / "header_only.png", PngHeaderBytes(640, 480));
  return Save(small, picture / "picture.jpg", true) && Save(small, picture / "picture.png", false) ? 0 : 1;
}
