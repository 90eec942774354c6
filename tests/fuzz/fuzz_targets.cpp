// The fuzz targets' bodies, replayed over the committed corpora by the ordinary build and,
// with DFX_FUZZ_TARGET naming one, libFuzzer's entry point. Each aborts on a broken invariant.
#ifndef DFX_FUZZ_TARGET
#include <gtest/gtest.h>
#endif
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>

#include "cpu/computer_player.h"
#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "rules/start_position.h"
#include "screen_reader/screen_reader.h"

// Aborts naming the invariant, so libFuzzer saves the input as a crash.
#define CHECK(ok) ((ok) ? void() : (std::fprintf(stderr, "fuzz invariant broken: %s\n", #ok), std::abort()))

namespace dfx::fuzz {
namespace {

// The loaders read files by name: a scratch file per tag and process, so parallel jobs never share one.
std::string WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
  const auto path =
      std::filesystem::temp_directory_path() / ("dfx-fuzz-" + std::to_string(getpid()) + "-" + tag);
  CHECK(std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size))
            .good());
  return path.string();
}

// Any bytes as the start-position file: the start board holds only the three cell
// values inside an intact border, and the computer opens on it by book and by search.
int FuzzStartPosition(const uint8_t* data, size_t size) {
  static Board board;
  for (Cell& c : board.cells) c = 7;  // the previous input's position must not mask this one's
  LoadStartPosition(board, WriteScratchFile("board.txt", data, size).c_str());
  for (int i = 0; i < BoardCells; ++i)
    CHECK(i >= FirstSquare && i <= LastSquare && i % 9
              ? board[i] == Empty || board[i] == White || board[i] == Black
              : board[i] == Border);
  // The first move (book or search) and a searched move past the book, at level 0 or S.
  static ComputerPlayer cpu;
  for (auto [side, movesSoFar] : {std::pair{Black, 0}, std::pair{White, 20}}) {
    const ComputerMove move =
        cpu.DecideMove(board, side, size > 0 && data[0] % 2 ? LevelS : 0, 0, movesSoFar, nullptr);
    CHECK(move.pass == !board.HasAnyMove(side));
    CHECK(move.pass || (move.square >= FirstSquare && move.square <= LastSquare &&
                        board[move.square] == Empty && board.CanPlay(move.square, side)));
  }
  return 0;
}

// Any bytes as a glyph file, through the image object's whole load path (first-bytes
// test, then the BMP, GIF or JPEG decoder or the PNG header), then drawn clipped and
// stretched into a small window and back buffer.
int FuzzPictureLoad(const uint8_t* data, size_t size) {
  static portable::DrawTarget window(40, 30, 0x123456), backBuffer(50, 20, 0x654321);
  static const portable::WindowSurfaces surfaces{&window, &backBuffer};
  portable::ImageObject image(&surfaces);
  image.SetCaptureDelay(-1);  // the capture thread's races are the sanitizer builds' job
  const int32_t loaded = image.Load(WriteScratchFile("glyph.bmp", data, size).c_str());
  CHECK(loaded == 0 || loaded == 1);

  uint8_t head[24] = {};
  std::memcpy(head, data, size < 24 ? size : 24);
  const portable::PictureLoader& loader = image.Loader();
  const PictureKind kind = loader.kind;
  CHECK(kind == DetectKind(head));
  CHECK(loaded == 0 || (kind != PictureKind::Png && kind != PictureKind::None));
  const int32_t w = image.BitmapWidth(), h = image.BitmapHeight();
  // A load gives a bounded size, the loader's; a failed one leaves no bitmap behind.
  CHECK(loaded ? w > 0 && h > 0 && w <= MaxPictureSide && h <= MaxPictureSide && loader.width == w &&
                     loader.height == h
               : w == 0 && h == 0);

  image.BindToWindow();
  // Natural size, clipped at every edge, stretched, shrunk to a pixel, a derived side.
  const int32_t draws[][5] = {{0, 0, 0, 0, 0},      {-7, -3, 0, 0, 1},   {35, 25, 0, 0, 2},
                              {-100, 5, 300, 9, 3}, {3, 3, 1, 1, 0},     {2, -40, 0, 77, 1},
                              {1, 1, 45, 0, 2},     {10, 10, -5, -5, 3}, {0, 0, 100000, 100000, 0}};
  const uint32_t rops[] = {RopSrcCopy, RopSrcInvert, 0x00AA0029 /* destination unchanged */, RopNotSrcCopy};
  for (const auto& d : draws) CHECK(image.Draw(d[0], d[1], d[2], d[3], rops[d[4]]) == loaded);
  return 0;
}

// Any bytes as a screenshot for `dfx read-screen`: the BMP decoder refuses or decodes
// within the screenshot limit, and the screen read from the picture stays in bounds.
int FuzzScreenBmp(const uint8_t* data, size_t size) {
  const auto shot = portable::DecodeBmp(data, size, MaxScreenshotSide);
  if (!shot) return 0;
  CHECK(shot->width > 0 && shot->height > 0 && shot->width <= MaxScreenshotSide &&
        shot->height <= MaxScreenshotSide);
  CHECK(shot->pixels.size() == size_t(shot->width) * size_t(shot->height));
  // With the glyph set (run from the source tree) the face search and cell matching run too.
  static ScreenReader reader;
  static const bool glyphs = (reader.LoadGlyphs("res/bmp"), true);
  CHECK(glyphs && reader.Read(*shot).board.size() == 64);
  return 0;
}

constexpr std::pair<const char*, int (*)(const uint8_t*, size_t)> Targets[] = {
    {"start_position", FuzzStartPosition}, {"picture_load", FuzzPictureLoad}, {"screen_bmp", FuzzScreenBmp}};

}  // namespace
}  // namespace dfx::fuzz

#ifdef DFX_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (auto [name, body] : dfx::fuzz::Targets)
    if (std::string_view(name) == DFX_FUZZ_TARGET) return body(data, size);
  std::abort();
}
#else
// Every seed and every input that ever broke a target, replayed so that a fault once found stays found.
TEST(FuzzCorpus, EverySeedAndRegressionPasses) {
  for (auto [target, body] : dfx::fuzz::Targets) {
    int count = 0;
    for (const char* kind : {"regressions", "seeds"}) {
      std::error_code none;  // a target without regressions has no folder for them
      for (const auto& entry : std::filesystem::directory_iterator(
               std::filesystem::path(DFX_SOURCE_DIR "/tests/fuzz") / kind / target, none)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        std::fprintf(stderr, "replay %s\n", entry.path().string().c_str());  // named if the body aborts
        body(bytes.data(), bytes.size());
        ++count;
      }
    }
    EXPECT_GT(count, 0) << target;
  }
}
#endif
