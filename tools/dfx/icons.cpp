// dfx icons: draws the program's two Windows icons (101: 32x32, 102: 16x16), both
// 16-colour, as the four discs of the start position on a green board.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/program_icon.h"
#include "image/portable/little_endian.h"
#include "subcommand.h"

namespace dfx::tool {

namespace {

using portable::PutLe16;
using portable::PutLe32;

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
    for (int x = 0; x < size; ++x) row[size_t(x) / 2] |= uint8_t(p[size_t(y) * size_t(size) + size_t(x)] << (x % 2 ? 0 : 4));
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
  std::string out = "res/icons", check;
};

int Run(const Options& o) {
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
  command.add_option("--check", o->check, "compare the icons in this folder with the drawing instead")->excludes(out);
  return [o] { return Run(*o); };
}

const Subcommand registration("icons", "draw the Windows icons 101 (32x32) and 102 (16x16)", Setup);

}  // namespace

}  // namespace dfx::tool
