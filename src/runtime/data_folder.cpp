#include "runtime/data_folder.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace dfx {

namespace fs = std::filesystem;

std::vector<fs::path> DataFolderCandidates(const fs::path& workingDir, const fs::path& exeDir) {
  std::vector<fs::path> folders{workingDir};
  if (!exeDir.empty()) {
    folders.push_back(exeDir);
    folders.push_back((exeDir / ".." / "share" / "discoflipparex").lexically_normal());
  }
  return folders;
}

fs::path FindDataFolder(const std::vector<fs::path>& candidates) {
  for (const fs::path& folder : candidates) {
    std::error_code error;
    if (!fs::is_directory(folder / "res" / "bmp", error)) continue;
    char name[8];
    for (int n = 0; n <= 256; ++n) {
      std::snprintf(name, sizeof name, "%03d.bmp", n);
      if (fs::is_regular_file(folder / "res" / "bmp" / name, error)) return folder;
    }
  }
  return {};
}

bool EnterDataFolder(const fs::path& exeDir) {
  // A working directory that was deleted has no path; the other candidates still count.
  std::error_code noWorkingDir;
  const fs::path workingDir = fs::current_path(noWorkingDir);
  const std::vector<fs::path> candidates = DataFolderCandidates(workingDir, exeDir);
  const fs::path found = FindDataFolder(candidates);
  if (!found.empty()) {
    std::error_code error;
    if (found != workingDir || noWorkingDir) fs::current_path(found, error);
    if (!error) return true;
  }
  std::string where;
  for (const fs::path& folder : candidates) where += (where.empty() ? "" : ", ") + (folder / "res").string();
  std::fprintf(stderr, "discoflipparex: no glyph files found; looked in %s\n", where.c_str());
  return false;
}

}  // namespace dfx
