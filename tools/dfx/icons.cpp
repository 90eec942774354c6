// dfx icons: draws the program's two Windows icons (101: 32x32, 102: 16x16), both
// 16-colour, as the four discs of the start position on a green board; the same
// picture at any other size as a PNG for the desktop's icon theme.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture_file.h"
#include "subcommand.h"

namespace dfx::tool {

namespace {

// The 16 colours every Windows display could show, as B, G, R.
constexpr uint8_t Palette[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},  {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0}, {255, 255, 255}};
enum : uint8_t { Black = 0, Green = 2, Grey = 8, Silver = 7, LightGreen = 10, White = 15 };

using Picture = std::vector<std::vector<uint8_t>>;  // [y][x] palette indices

// Lines, rims and highlights are one pixel wide up to 63x63 and grow with the size
// above, so every size is drawn crisply from the same geometry rather than scaled.
Picture DrawIcon(int size) {
  Picture p(size, std::vector<uint8_t>(size, Green));
  const int w = std::max(1, size / 32);
  const int mid = size / 2;
  const int line = mid - w / 2;  // first row and column of the middle lines
  for (int i = 0; i < size; ++i) {
    for (int t = 0; t < w; ++t) {
      p[t][i] = p[size - 1 - t][i] = p[i][t] = p[i][size - 1 - t] = Black;
      p[line + t][i] = p[i][line + t] = Black;
    }
  }
  // A highlight along the top-left inner edge of each cell, like a lit felt board;
  // the small icon has no room for it.
  const int inner[2] = {w, line + w};  // where each cell's inside starts
  const int length = line - w;
  for (int cy : inner) {
    if (size < 32) break;
    for (int cx : inner) {
      for (int i = 0; i < length; ++i) {
        for (int t = 0; t < w; ++t) {
          p[cy + t][cx + i] = LightGreen;
          p[cy + i][cx + t] = LightGreen;
        }
      }
    }
  }
  const double radius = size / 4.0 - (size >= 32 ? 1.5 * w : 1.3);
  const double centres[2] = {(w + line) / 2.0, (line + w + size - w) / 2.0};
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 2; ++col) {
      bool white = row == col;  // the start position: White on the diagonal
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          double d = std::hypot(x + 0.5 - centres[col], y + 0.5 - centres[row]);
          if (d > radius) continue;
          bool rim = d > radius - w;
          p[y][x] = white ? (rim ? Silver : White) : (rim ? Grey : Black);
        }
      }
    }
  }
  return p;
}

portable::PixelSurface IconPicture(int size) {
  const Picture p = DrawIcon(size);
  portable::PixelSurface out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t* c = Palette[p[size_t(y)][size_t(x)]];
      out.At(x, y) = uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
    }
  }
  return out;
}

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// One-image .ico: directory, entry, then a 4-bit DIB of twice the height (colours,
// then an all-zero AND mask, since every pixel is opaque).
std::vector<uint8_t> IconFile(int size) {
  const Picture p = DrawIcon(size);
  const uint32_t colourRow = ((uint32_t(size) * 4 + 31) / 32) * 4;
  const uint32_t maskRow = ((uint32_t(size) + 31) / 32) * 4;
  const uint32_t imageBytes = 40 + 16 * 4 + (colourRow + maskRow) * uint32_t(size);

  std::vector<uint8_t> out;
  PutLe16(out, 0);
  PutLe16(out, 1);  // icon
  PutLe16(out, 1);  // one image
  out.push_back(uint8_t(size));
  out.push_back(uint8_t(size));
  out.push_back(16);  // colours
  out.push_back(0);
  PutLe16(out, 1);  // planes
  PutLe16(out, 4);  // bits per pixel
  PutLe32(out, imageBytes);
  PutLe32(out, 6 + 16);

  PutLe32(out, 40);
  PutLe32(out, uint32_t(size));
  PutLe32(out, uint32_t(size) * 2);
  PutLe16(out, 1);
  PutLe16(out, 4);
  PutLe32(out, 0);
  PutLe32(out, (colourRow + maskRow) * uint32_t(size));
  PutLe32(out, 0);
  PutLe32(out, 0);
  PutLe32(out, 16);
  PutLe32(out, 0);
  for (const auto& c : Palette) {
    out.insert(out.end(), c, c + 3);
    out.push_back(0);
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(colourRow, 0);
    for (int x = 0; x < size; ++x) row[size_t(x) / 2] |= uint8_t(p[size_t(y)][size_t(x)] << (x % 2 ? 0 : 4));
    out.insert(out.end(), row.begin(), row.end());
  }
  out.insert(out.end(), size_t(maskRow) * size_t(size), uint8_t(0));
  return out;
}

struct IconSpec {
  const char* file;
  int size;
};
constexpr IconSpec Icons[] = {{"101.ico", 32}, {"102.ico", 16}};

int Run(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string out = "res/icons";
  std::string check, png, sizeText;
  TakeOption(args, "--out", &out);
  bool checking = TakeOption(args, "--check", &check);
  bool drawingPng = TakeOption(args, "--png", &png);
  bool sized = TakeOption(args, "--size", &sizeText);
  if (!args.empty() || drawingPng != sized || (drawingPng && checking)) {
    std::fprintf(stderr, "usage: dfx icons [--out DIR | --check DIR | --png FILE --size N]\n");
    return 2;
  }
  if (drawingPng) {
    char* end = nullptr;
    long size = std::strtol(sizeText.c_str(), &end, 10);
    if (sizeText.empty() || *end != 0 || size < 16 || size > 1024) {
      std::fprintf(stderr, "dfx icons: --size wants a number from 16 to 1024\n");
      return 2;
    }
    return WritePng(png, IconPicture(int(size))) ? 0 : 1;
  }
  int status = 0;
  for (const IconSpec& icon : Icons) {
    std::vector<uint8_t> bytes = IconFile(icon.size);
    std::string path = (checking ? check : out) + "/" + icon.file;
    if (checking) {
      std::ifstream in(path, std::ios::binary);
      std::vector<uint8_t> existing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (existing != bytes) {
        std::fprintf(stderr, "dfx icons: %s differs from what the generator draws\n", path.c_str());
        status = 1;
      }
    } else {
      std::ofstream f(path, std::ios::binary);
      f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
      if (!f) {
        std::fprintf(stderr, "dfx icons: cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return status;
}

const Subcommand registration("icons", "draw the Windows icons 101 (32x32) and 102 (16x16), or a PNG icon", Run);

}  // namespace

}  // namespace dfx::tool
