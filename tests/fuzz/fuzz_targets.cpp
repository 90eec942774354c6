// The fuzz targets' bodies, replayed over the committed corpora by the ordinary build and,
// with DFX_FUZZ_TARGET naming one, libFuzzer's entry point. Each aborts on a broken invariant.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "cpu/computer_player.h"
#include "fuzz_targets.h"
#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "rules/board.h"
#include "rules/start_position.h"
#include "screen_reader/screen_reader.h"

namespace dfx::fuzz {
namespace {

// Aborts with the message, so libFuzzer saves the input as a crash.
void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

// The loaders read files by name: a scratch file per tag and process, so parallel jobs never share one.
std::string WriteScratchFile(const char* tag, const uint8_t* data, size_t size) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("dfx-fuzz-" + std::to_string(getpid()) + "-" + tag)).string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Check(f && std::fwrite(data, 1, size, f) == size, "cannot write the scratch file");
  std::fclose(f);
  return path;
}

}  // namespace

// Any bytes as the start-position file: the start board holds only the three cell
// values inside an intact border, and the computer opens on it by book and by search.
int FuzzStartPosition(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("board.txt", data, size);
  static Board board;
  // The previous input's position must not mask this one's.
  for (Cell& c : board.cells) c = 7;
  LoadStartPosition(board, path.c_str());
  for (int i = 0; i < BoardCells; ++i) {
    if (i >= FirstSquare && i <= LastSquare && i % 9 != 0) {
      Check(board[i] == Empty || board[i] == White || board[i] == Black, "a square holds no cell value");
    } else {
      Check(board[i] == Border, "the border was overwritten");
    }
  }
  for (Cell colour : {White, Black}) {
    bool any = false;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) any = any || (board[sq] == Empty && board.CanPlay(sq, colour));
    Check(any == board.HasAnyMove(colour), "HasAnyMove disagrees with CanPlay");
  }

  // The first move (book or search) and a searched move past the book, at level 0 or S.
  static ComputerPlayer cpu;
  const int level = size > 0 && data[0] % 2 ? LevelS : 0;
  for (auto [side, movesSoFar] : {std::pair{Black, 0}, std::pair{White, 20}}) {
    const ComputerMove move = cpu.DecideMove(board, side, level, 0, movesSoFar, nullptr);
    Check(move.pass == !board.HasAnyMove(side), "the computer passed with a move or moved without one");
    Check(move.pass || (move.square >= FirstSquare && move.square <= LastSquare && board[move.square] == Empty &&
                        board.CanPlay(move.square, side)),
          "the computer chose an illegal square");
  }
  return 0;
}

// Any bytes as a glyph file, through the image object's whole load path (first-bytes
// test, then the BMP, GIF or JPEG decoder or the PNG header), then drawn clipped and
// stretched into a small window and back buffer.
int FuzzPictureLoad(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("glyph.bmp", data, size);
  static portable::DrawTarget window(40, 30, 0x123456), backBuffer(50, 20, 0x654321);
  static const portable::WindowSurfaces surfaces{&window, &backBuffer};
  portable::ImageObject image(&surfaces);
  image.SetCaptureDelay(-1);  // the capture thread's races are the sanitizer builds' job
  const int32_t loaded = image.Load(path.c_str());
  Check(loaded == 0 || loaded == 1, "Load gave neither 0 nor 1");

  uint8_t head[24] = {};
  std::memcpy(head, data, size < 24 ? size : 24);
  const PictureKind kind = DetectKind(head);
  const portable::PictureLoader& loader = image.Loader();
  Check(loader.kind == kind, "the loader's kind is not the first-bytes kind");
  if (kind == PictureKind::Png || kind == PictureKind::None) Check(loaded == 0, "a PNG or an unknown kind loaded");
  if (kind == PictureKind::Png) {
    const auto be32 = [&](int at) {
      return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    Check(uint32_t(loader.width) == be32(16) && uint32_t(loader.height) == be32(20), "PNG size is not the header's");
  }
  const int32_t w = image.BitmapWidth(), h = image.BitmapHeight();
  if (loaded == 1) {
    Check(w > 0 && h > 0 && w <= portable::MaxPictureSide && h <= portable::MaxPictureSide, "unbounded size loaded");
    Check(loader.width == w && loader.height == h, "loader size differs from the bitmap's");
  } else {
    Check(w == 0 && h == 0, "a failed load left a bitmap behind");
  }

  image.BindToWindow();
  // Natural size, clipped at every edge, stretched, shrunk to a pixel, a derived side.
  const int32_t draws[][5] = {{0, 0, 0, 0, 0},    {-7, -3, 0, 0, 1},   {35, 25, 0, 0, 2},
                              {-100, 5, 300, 9, 3}, {3, 3, 1, 1, 0},   {2, -40, 0, 77, 1},
                              {1, 1, 45, 0, 2},     {10, 10, -5, -5, 3}, {0, 0, 100000, 100000, 0}};
  const uint32_t rops[] = {RopSrcCopy, RopSrcInvert, 0x00AA0029 /* destination unchanged */, RopNotSrcCopy};
  for (const auto& d : draws) {
    Check(image.Draw(d[0], d[1], d[2], d[3], rops[d[4]]) == loaded, "Draw's result does not follow the load");
  }
  return 0;
}

// Any bytes as a screenshot for `dfx read-screen`: the BMP decoder refuses or decodes
// within the screenshot limit, and the screen read from the picture stays in bounds.
int FuzzScreenBmp(const uint8_t* data, size_t size) {
  auto decoded = portable::DecodeBmp(data, size, MaxScreenshotSide);
  if (!decoded) return 0;
  const portable::PixelSurface& shot = *decoded;
  Check(shot.width > 0 && shot.height > 0 && shot.width <= MaxScreenshotSide && shot.height <= MaxScreenshotSide,
        "decoded picture out of bounds");
  Check(shot.pixels.size() == size_t(shot.width) * size_t(shot.height), "pixel count does not match the size");
  // With the glyph set (run from the source tree) the face search and cell matching run too.
  static const ScreenReader reader = [] {
    ScreenReader r;
    r.LoadGlyphs("res/bmp");
    return r;
  }();
  Check(reader.Read(shot).board.size() == 64, "board read back is not 64 squares");
  return 0;
}

}  // namespace dfx::fuzz

#ifdef DFX_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (auto [name, body] : dfx::fuzz::Targets)
    if (std::string_view(name) == DFX_FUZZ_TARGET) return body(data, size);
  std::abort();
}
#endif
