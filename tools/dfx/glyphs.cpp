// dfx glyphs --out DIR: writes the glyph set, 000.bmp .. 256.bmp, from the tables.
#include <cstdio>
#include <filesystem>
#include <string>

#include "glyph_tables.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

int Run(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  int written = 0;
  for (int n = 0; n <= 256; ++n) {
    portable::PixelSurface picture;
    if (!RenderGlyph(n, &picture)) continue;
    char name[16];
    std::snprintf(name, sizeof name, "/%03d.bmp", n);
    const std::string path = dir + name;
    if (!portable::WriteBmp24(path.c_str(), picture)) {
      std::fprintf(stderr, "dfx glyphs: cannot write %s\n", path.c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d glyphs written to %s\n", written, dir.c_str());
  return 0;
}

std::function<int()> Setup(CLI::App& command) {
  auto dir = std::make_shared<std::string>();
  command.add_option("--out", *dir, "the folder to write into (made if missing)")->required();
  return [dir] { return Run(*dir); };
}

const Subcommand registration("glyphs", "write the glyph set (000.bmp .. 256.bmp)", Setup);

}  // namespace
}  // namespace dfx::tool
