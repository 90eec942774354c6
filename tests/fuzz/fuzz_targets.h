// The fuzz targets' bodies, called from libFuzzer's entry point and from the corpus
// replay test of the ordinary build. Each aborts on a broken invariant.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace dfx::fuzz {

int FuzzStartPosition(const uint8_t* data, size_t size);
int FuzzPictureLoad(const uint8_t* data, size_t size);
int FuzzScreenBmp(const uint8_t* data, size_t size);

// Aborts with the message, so libFuzzer saves the input as a crash.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

// The loaders read files by name: a scratch file holding the bytes, one per tag and
// process so parallel fuzzing jobs never share one.
inline std::string WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("dfx-fuzz-" + std::to_string(getpid()) + "-" + tag)).string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Check(f && std::fwrite(data, 1, size, f) == size, "cannot write the scratch file");
  std::fclose(f);
  return path;
}

}  // namespace dfx::fuzz
