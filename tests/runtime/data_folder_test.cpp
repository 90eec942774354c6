#include "runtime/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace dfx {
namespace {

namespace fs = std::filesystem;

TEST(DataFolder, WorkingDirectoryThenBesideTheExecutableThenTheInstalledFolder) {
  const fs::path root = fs::path(::testing::TempDir()) / ("dfx_data_" + std::to_string(getpid()));
  const fs::path cwd = root / "cwd", exe = root / "bin", share = root / "share" / "discoflipparex";
  EXPECT_EQ(DataFolderCandidates(cwd, exe), (std::vector<fs::path>{cwd, exe, share}));
  EXPECT_EQ(DataFolderCandidates(cwd, {}), std::vector<fs::path>{cwd});
  // Which folders hold res/bmp, and whether theirs has a glyph (a lone res/board.txt or
  // a glyph name that is a folder does not count).
  struct Case {
    const char* layout;  // per folder: '-' res without bmp, 'e' empty res/bmp, 'd' 000.bmp a folder, 'g' a glyph
    int chosen;          // index into the candidates, -1 for none
  };
  for (const Case& c : {Case{"ggg", 0}, Case{"-gg", 1}, Case{"e-g", 2}, Case{"d--", -1}, Case{"---", -1}}) {
    fs::remove_all(root);
    const fs::path folders[3] = {cwd, exe, share};
    for (int i = 0; i < 3; ++i) {
      fs::create_directories(folders[i] / "res");
      std::ofstream(folders[i] / "res" / "board.txt") << "x";
      if (c.layout[i] == '-') continue;
      fs::create_directories(folders[i] / "res" / "bmp");
      if (c.layout[i] == 'd') fs::create_directories(folders[i] / "res" / "bmp" / "000.bmp");
      if (c.layout[i] == 'g') std::ofstream(folders[i] / "res" / "bmp" / "256.bmp") << "BM";
    }
    EXPECT_EQ(FindDataFolder(DataFolderCandidates(cwd, exe)), c.chosen < 0 ? fs::path() : folders[c.chosen])
        << c.layout;
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace dfx
