// dfx icons: draws the program's two Windows icons (101: 32x32, 102: 16x16), both
// 16-colour, as the four discs of the start position on a green board; the same
// picture at any other size as a PNG for the desktop's icon theme.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/program_icon.h"
#include "image/little_endian.h"
#include "picture_file.h"
#include "subcommand.h"

namespace dfx::tool {

namespace {

using dfx::PutLe16;
using dfx::PutLe32;

portable::PixelSurface IconPicture(int size) {
  const std::vector<uint8_t> p = DrawProgramIcon(size);
  portable::PixelSurface out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t* c = IconPalette[p[size_t(y) * size_t(size) + size_t(x)]];
      out.At(x, y) = uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
    }
  }
  return out;
}

// For masks that may cut the icon to a circle: the board in the middle 55%, its corners
// inside the circle of 40% of the size that every mask keeps, on the board's own green.
portable::PixelSurface MaskableIconPicture(int size) {
  const int inner = size * 11 / 20;
  const int at = (size - inner) / 2;
  const portable::PixelSurface board = IconPicture(inner);
  const uint8_t* green = IconPalette[2];
  portable::PixelSurface out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool inside = x >= at && x < at + inner && y >= at && y < at + inner;
      out.At(x, y) =
          inside ? board.At(x - at, y - at) : uint32_t(green[2]) << 16 | uint32_t(green[1]) << 8 | green[0];
    }
  }
  return out;
}

// One-image .ico: directory, entry, then a 4-bit DIB of twice the height (colours,
// then an all-zero AND mask, since every pixel is opaque).
std::vector<uint8_t> IconFile(int size) {
  const std::vector<uint8_t> p = DrawProgramIcon(size);
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
  for (const auto& c : IconPalette) {
    out.insert(out.end(), c, c + 3);
    out.push_back(0);
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(colourRow, 0);
    for (int x = 0; x < size; ++x)
      row[size_t(x) / 2] |= uint8_t(p[size_t(y) * size_t(size) + size_t(x)] << (x % 2 ? 0 : 4));
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

struct Options {
  std::string out = "res/icons", check, png;
  int size = 0;
  bool maskable = false;
};

int Run(const Options& o) {
  if (!o.png.empty())
    return WritePng(o.png, o.maskable ? MaskableIconPicture(o.size) : IconPicture(o.size)) ? 0 : 1;
  const std::string& out = o.out;
  const std::string& check = o.check;
  const bool checking = !check.empty();
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

std::function<int()> Setup(CLI::App& command) {
  auto o = std::make_shared<Options>();
  CLI::Option* out = command.add_option("--out", o->out, "the folder to write 101.ico and 102.ico into");
  CLI::Option* check =
      command.add_option("--check", o->check, "compare the icons in this folder with the drawing instead")
          ->excludes(out);
  CLI::Option* png =
      command.add_option("--png", o->png, "draw one PNG icon into this file instead")->excludes(out, check);
  CLI::Option* size =
      command.add_option("--size", o->size, "the PNG icon's width and height")->check(CLI::Range(16, 1024));
  CLI::Option* maskable =
      command.add_flag("--maskable", o->maskable, "pad the PNG icon so that a round mask keeps the board");
  png->needs(size);
  size->needs(png);
  maskable->needs(png);
  return [o] { return Run(*o); };
}

const Subcommand registration("icons", "draw the Windows icons 101 (32x32) and 102 (16x16), or a PNG icon",
                              Setup);

}  // namespace

}  // namespace dfx::tool
