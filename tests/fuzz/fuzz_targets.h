// The fuzz targets' bodies by name: libFuzzer's entry point and the corpus replay test call them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>

namespace dfx::fuzz {

int FuzzStartPosition(const uint8_t* data, size_t size);
int FuzzPictureLoad(const uint8_t* data, size_t size);
int FuzzScreenBmp(const uint8_t* data, size_t size);
inline constexpr std::pair<const char*, int (*)(const uint8_t*, size_t)> Targets[] = {
    {"start_position", FuzzStartPosition}, {"picture_load", FuzzPictureLoad}, {"screen_bmp", FuzzScreenBmp}};

}  // namespace dfx::fuzz
