#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "fuzz_targets.h"

namespace dfx::fuzz {

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

const std::string& WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
  // One path per tag and process, so parallel fuzzing jobs never share a file.
  static std::map<std::string, std::string> paths;
  std::string& path = paths[tag];
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / ("dfx-fuzz-" + std::to_string(getpid()) + "-" + tag)).string();
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr, "cannot write the scratch file");
  if (size > 0) Check(std::fwrite(data, 1, size, f) == size, "short write of the scratch file");
  std::fclose(f);
  return path;
}

}  // namespace dfx::fuzz
