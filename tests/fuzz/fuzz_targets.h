// The fuzz targets' bodies, callable both from libFuzzer's entry point and from the
// corpus replay test of the ordinary build. Each aborts on a broken invariant.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace dfx::fuzz {

// Every file the program reads from the user's folder goes through one of these.
int FuzzStartPosition(const uint8_t* data, size_t size);
int FuzzPictureLoad(const uint8_t* data, size_t size);
int FuzzScreenBmp(const uint8_t* data, size_t size);

// Stops the run with a message; libFuzzer then saves the input as a crash.
[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

// A file of this process's own in the temporary folder holding exactly the bytes.
// The loaders under test read files by name, so the input has to be one.
const std::string& WriteScratchFile(const char* tag, const uint8_t* data, size_t size);

}  // namespace dfx::fuzz
