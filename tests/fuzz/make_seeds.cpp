// Writes the fuzzers' seed corpora: start-position files in each line-end style and
// row form, and small pictures of every kind the loader tells apart (BMP at every
// depth it decodes, GIF, JPEG and PNG encoded by SDL_image). Usage: make_seeds DIR
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "image/portable/pixel_surface.h"
#include "test_pictures.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using dfx::testing::Bytes;

namespace {

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) { Write(path, Bytes(text.begin(), text.end())); }

// Encodes the picture with one of SDL_image's writers into memory.
Bytes Encode(const dfx::portable::PixelSurface& s, bool jpeg) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, s.width, s.height, 32, SDL_PIXELFORMAT_RGB888);
  if (!surface) return {};
  for (int y = 0; y < s.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + size_t(y) * size_t(surface->pitch));
    for (int x = 0; x < s.width; ++x) row[x] = s.At(x, y);
  }
  Bytes out(1 << 20);
  SDL_RWops* rw = SDL_RWFromMem(out.data(), int(out.size()));
  int failed = jpeg ? IMG_SaveJPG_RW(surface, rw, 0, 80) : IMG_SavePNG_RW(surface, rw, 0);
  out.resize(failed ? 0 : size_t(SDL_RWtell(rw)));
  SDL_RWclose(rw);
  SDL_FreeSurface(surface);
  return out;
}

// A picture of at most the given number of colours, for the palette depths.
dfx::portable::PixelSurface FewColours(int32_t w, int32_t h, uint32_t colours) {
  dfx::portable::PixelSurface s(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s.At(x, y) = uint32_t(x + 3 * y) % colours * 0x0F1F2F;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path board = root / "start_position", picture = root / "picture_load", screen = root / "screen_bmp";
  for (const fs::path& dir : {board, picture, screen}) fs::create_directories(dir);

  const char* rows[8] = {"00000000", "00000000", "00000000", "00012000",
                         "00021000", "00000000", "00000000", "00000000"};
  for (auto [name, end] : {std::pair{"crlf.txt", "\r\n"}, {"lf.txt", "\n"}, {"cr.txt", "\r"}}) {
    std::string text;
    for (const char* r : rows) text += std::string(r) + end;
    WriteText(board / name, text);
  }
  WriteText(board / "commas.txt", "  00000000,\t00000000,\"0,0\"000000,00012000,00021000,0,00000000,00000000\n");
  WriteText(board / "short_rows.txt", "0\n00\n012\n000120009\n0002x1\n");
  WriteText(board / "odd_digits.txt", "39393939\n00000000\n78787878\n00012000\n00021000\n45454545\n\0\n66666666\n"s);

  const auto small = dfx::testing::Pattern(7, 5);
  for (int bpp : {24, 32}) {
    for (bool topDown : {false, true}) {
      const std::string name = "bmp" + std::to_string(bpp) + (topDown ? "_top" : "_bottom") + ".bmp";
      Write(picture / name, dfx::testing::BmpBytes(small, bpp, topDown));
      Write(screen / name, dfx::testing::BmpBytes(small, bpp, topDown));
    }
  }
  for (int bpp : {1, 4, 8}) {
    Write(picture / ("bmp" + std::to_string(bpp) + ".bmp"), dfx::testing::BmpBytes(FewColours(9, 4, 1u << bpp), bpp, false));
  }
  Write(picture / "picture.gif", dfx::testing::GifBytes(small));
  Write(picture / "picture.jpg", Encode(small, true));
  Write(picture / "picture.png", Encode(small, false));
  Write(picture / "header_only.png", dfx::testing::PngHeaderBytes(640, 480));
  return 0;
}
