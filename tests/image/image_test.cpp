// The portable image object: first-bytes kinds, the decoders, drawing (stretch, clip,
// raster operations), the load-failure rules and the capture worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "test_pictures.h"

#ifndef DFX_TEST_SDL
#define DFX_TEST_SDL 0
#else
#include <SDL.h>
#include <SDL_image.h>

#include <fstream>
#include <iterator>
#endif

namespace dfx {
namespace {

using portable::DrawTarget;
using portable::ImageObject;
using portable::MaxPictureSide;
using portable::PixelSurface;
using testing::Bytes;

TEST(ImageRules, FirstBytesDerivedSizesAndRasterOperations) {
  const std::pair<Bytes, PictureKind> kinds[] = {
      {{0x42, 0x4D}, PictureKind::Bmp},  {{'G', 'I', 'F'}, PictureKind::Gif}, {{'G', 'I'}, PictureKind::None},
      {{0xFF, 0xD8}, PictureKind::Jpeg}, {{0xFF}, PictureKind::None},         {{'B', 'm'}, PictureKind::None},
      {testing::PngHeaderBytes(1, 1), PictureKind::Png},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, PictureKind::None},  // the eighth byte counts as 0
  };
  for (auto [bytes, kind] : kinds) {
    bytes.resize(8);  // a short file's missing bytes read as 0
    EXPECT_EQ(DetectKind(bytes.data()), kind);
  }
  // Missing or negative sides come from the bitmap's ratio, truncated.
  int32_t sizes[][6] = {{0, 0, 24, 32, 24, 32}, {48, 0, 24, 32, 48, 64}, {0, 16, 24, 32, 12, 16}, {1, 0, 32, 24, 1, 0},
                        {-7, -1, 24, 32, 24, 32}, {-1, 16, 24, 32, 12, 16}, {48, -5, 24, 32, 48, 64}, {30, 7, 24, 32, 30, 7},
                        {5, 0, 3, 7, 5, 11}, {0, 5, 0, 0, 0, 5}, {5, 0, 0, 0, 5, 0}};
  for (auto [w, h, bw, bh, wantW, wantH] : sizes) {
    ResolveDrawSize(w, h, bw, bh);
    EXPECT_EQ(std::pair(w, h), std::pair(wantW, wantH)) << bw << "x" << bh << " to " << wantW << "x" << wantH;
  }
  const uint32_t s = 0x00F0CC0F, d = 0x00AA55FF;
  const std::pair<uint32_t, uint32_t> rops[] = {
      {RopSrcCopy, s}, {RopSrcPaint, 0x00FADDFF}, {RopSrcAnd, 0x00A0440F}, {RopSrcInvert, 0x005A99F0},
      {RopNotSrcCopy, 0x000F33F0}, {RopBlackness, 0}, {RopWhiteness, 0x00FFFFFF},
      // No direct path: computed from the truth table.
      {0x00550009, 0x0055AA00}, {0x00440328, 0x00508800}, {0x00BB0226, 0x00AF77FF}, {0x001100A6, 0x00052200},
      {0x00AA0029, d}, {0x00F00021, 0x00FFFFFF}};
  for (auto [rop, want] : rops) EXPECT_EQ(portable::ApplyRop(rop, s, d), want) << std::hex << rop;
}

// Real time; the limit only guards against a hang.
template <typename Pred>
bool WaitFor(Pred done) {
  for (int i = 0; i < 20000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// A window and a back buffer, and picture files removed afterwards.
struct ImageTest : ::testing::Test {
  ~ImageTest() override { for (const auto& p : paths) std::remove(p.c_str()); }
  std::string Write(const std::string& name, const Bytes& bytes) {
    paths.push_back(testing::TempPath(name));
    testing::WriteFileBytes(paths.back(), bytes);
    return paths.back();
  }
  std::unique_ptr<ImageObject> Loaded(const PixelSurface& picture, bool bind = true) {
    auto image = std::make_unique<ImageObject>(&surfaces);
    EXPECT_EQ(image->Load(Write("p.bmp", testing::BmpBytes(picture, 24, false)).c_str()), 1);
    if (bind) image->BindToWindow();
    return image;
  }
  static int NonBlack(const DrawTarget& t) { return int(t.surface.pixels.size()) - int(std::count(t.surface.pixels.begin(), t.surface.pixels.end(), 0u)); }

  DrawTarget window{64, 48}, back{100, 80};
  portable::WindowSurfaces surfaces{&window, &back};
  std::vector<std::string> paths;
};

TEST_F(ImageTest, DrawStretchesClipsAndTargetsWindowBackBufferOrAnExplicitSurface) {
  const PixelSurface picture = testing::Pattern(24, 32);
  DrawTarget other(30, 40, 0);
  auto image = Loaded(picture);
  EXPECT_NE(image->Draw(0, 0, 0, 0, 0, &other), 0);  // an explicit target alone
  EXPECT_EQ(std::tuple(other.surface.At(23, 31), window.dirty.load() || back.dirty.load()), std::tuple(picture.At(23, 31), false));
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  for (const DrawTarget* t : {&window, &back}) {
    for (int32_t i = 0; i < 24 * 32; ++i) ASSERT_EQ(t->surface.At(8 + i % 24, 8 + i / 24), picture.pixels[size_t(i)]) << i;
    EXPECT_EQ(std::pair(NonBlack(*t), t->dirty.load()), std::pair(24 * 32 - 1, true));  // the pattern's top-left is black
  }
  PixelSurface quad(2, 2);
  quad.pixels = {0x100000, 0x200000, 0x300000, 0x400000};
  image = Loaded(quad);
  EXPECT_NE(image->Draw(40, 0, 4, 0, 0) * image->Draw(50, 10, 1, 1, 0), 0);  // height derived: 4; shrinking keeps one of each pair
  for (auto [x, y, want] : {std::tuple{41, 1, 0x100000u}, {42, 1, 0x200000u}, {41, 3, 0x300000u}, {43, 3, 0x400000u},
                            {44, 0, 0u}, {40, 4, 0u}, {50, 10, 0x100000u}, {51, 10, 0u}}) EXPECT_EQ(window.surface.At(x, y), want) << x << "," << y;
  // Empty and unbound objects draw nothing on the window; a derived height of 0 draws nothing either.
  const int before = NonBlack(window) + NonBlack(back);
  Loaded(testing::Pattern(32, 24))->Draw(5, 5, 1, 0, 0);
  ImageObject empty(&surfaces);
  empty.BindToWindow();
  auto unbound = Loaded(PixelSurface(4, 4, 0x0F0F0F), false);
  EXPECT_EQ(std::tuple(empty.Draw(0, 0, 0), empty.Draw(0, 0, 10, 10, 0, &other), empty.BitmapWidth() + empty.BitmapHeight(),
                       unbound->Draw(0, 0, 0)), std::tuple(0, 0, 0, 0));
  EXPECT_NE(unbound->Draw(0, 0, 0, 0, 0, &other), 0);
  EXPECT_EQ(std::pair(other.surface.At(3, 3), NonBlack(window) + NonBlack(back)), std::pair(0x0F0F0Fu, before));
  window.surface.At(3, 3) = 0xF000F0, back.surface.At(3, 3) = 0x00F000;
  unbound->BindToWindow();
  EXPECT_NE(unbound->Draw(3, 3, RopSrcPaint), 0);  // each surface's own pixel meets the source
  EXPECT_EQ(std::pair(window.surface.At(3, 3), back.surface.At(3, 3)), std::pair(0xFF0FFFu, 0x0FFF0Fu));
  // Clipped at every edge without wrapping, and a huge rectangle is clipped, not iterated.
  image = Loaded(PixelSurface(10, 10, 0xFFFFFF));
  DrawTarget clip(64, 48, 0);
  for (auto [x, y] : {std::pair{-5, -5}, {60, 45}, {INT_MAX - 3, INT_MAX - 3}, {INT_MIN, 0}}) EXPECT_NE(image->Draw(x, y, 0, 0, 0, &clip), 0);
  EXPECT_EQ(NonBlack(clip), 25 + 4 * 3);
  EXPECT_NE(image->Draw(INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, 0), 0);
  EXPECT_EQ(NonBlack(window) + NonBlack(back), 64 * 48 + 100 * 80);
}

TEST_F(ImageTest, EveryBmpLayoutDecodesToTheSameColours) {
  PixelSurface two(13, 5), sixteen(7, 9), many = testing::Pattern(11, 6);
  for (int32_t i = 0; i < 13 * 5; ++i) two.pixels[size_t(i)] = i % 3 == 0 ? 0x123456 : 0xFEDCBA;
  for (int32_t i = 0; i < 7 * 9; ++i) sixteen.pixels[size_t(i)] = uint32_t(i * 5 % 16) * 0x0F0F0F;
  for (auto [picture, bpp] : {std::pair{&two, 1}, {&sixteen, 4}, {&sixteen, 8}, {&many, 24}, {&many, 32}})
    for (bool topDown : {false, true}) {
      const Bytes bytes = testing::BmpBytes(*picture, bpp, topDown);
      for (auto decoded : {portable::DecodeBmp(bytes.data(), bytes.size()),
                           portable::DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size())}) {
        ASSERT_TRUE(decoded) << bpp << " bits, top-down " << topDown;
        EXPECT_EQ(std::tie(decoded->width, decoded->height, decoded->pixels), std::tie(picture->width, picture->height, picture->pixels)) << bpp;
      }
    }
}

TEST_F(ImageTest, KindComesFromContentPngIsOnlyMeasuredAndFailuresKeepOrEmptyThePicture) {
  const PixelSurface picture = testing::Pattern(5, 4);
  auto image = Loaded(PixelSurface(4, 4, 0x00FF00));
  const std::string missing = testing::TempPath("no_such_file.bmp"), folder = ::testing::TempDir();
  for (const char* path : {missing.c_str(), folder.c_str(), (const char*)nullptr}) EXPECT_EQ(image->Load(path), 0);
  EXPECT_NE(image->Draw(1, 1, 0), 0);  // an unopenable path keeps the picture
  EXPECT_EQ(std::pair(window.surface.At(1, 1), image->Loader().kind), std::pair(0x00FF00u, PictureKind::Bmp));
  Bytes cut = testing::PngHeaderBytes(0x01020304, 5);
  cut.resize(18);  // missing size bytes read as 0
  // (name, bytes, loaded, kind, width, height); GIF needs SDL2_image (without it nothing is read), a PNG is
  // only measured.
  for (const auto& [name, bytes, loaded, kind, w, h] :
       {std::tuple{"bmp_named.gif", testing::BmpBytes(picture, 24, false), 1, PictureKind::Bmp, 5, 4},
        {"gif_named.bmp", testing::GifBytes(picture), DFX_TEST_SDL, PictureKind::Gif, 5 * DFX_TEST_SDL, 4 * DFX_TEST_SDL},
        {"two_bytes.bmp", Bytes{0x42, 0x4D}, 0, PictureKind::Bmp, 0, 0}, {"text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'}, 0, PictureKind::None, 0, 0},
        {"picture.png", testing::PngHeaderBytes(300, 70000), 0, PictureKind::Png, 300, 70000},
        {"short.png", cut, 0, PictureKind::Png, 0x01020000, 0}}) {
    window.surface.At(12, 12) = 0;
    EXPECT_EQ(image->Load(Write(name, bytes).c_str()), loaded) << name;
    EXPECT_EQ(image->Draw(11, 11, 0) != 0 && window.surface.At(12, 12) != 0, loaded == 1) << name;
    EXPECT_EQ(std::tuple(image->Loader().kind, image->Loader().width, image->Loader().height, image->BitmapWidth() * loaded, image->Bound()),
              std::tuple(kind, w, h, w * loaded, true)) << name;
  }
}

TEST_F(ImageTest, OversizedAndDamagedFilesAreRefusedWithoutCrashing) {
  const Bytes good = testing::BmpBytes(testing::Pattern(2, 2), 24, false), gif = testing::GifBytes(testing::Pattern(2, 2));
  const size_t at = 13 + 3 * 256;  // the GIF's image descriptor
  ASSERT_EQ(gif[at], 0x2C);
  auto bmp = [&](int32_t w, int32_t h) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[18 + i] = uint8_t(uint32_t(w) >> 8 * i), b[22 + i] = uint8_t(uint32_t(h) >> 8 * i);
    return std::pair(PictureKind::Bmp, b);
  };
  auto gifWith = [&](std::initializer_list<size_t> bytes) {
    Bytes b = gif;
    for (size_t i : bytes) b[i] = 0xFF;
    return std::pair(PictureKind::Gif, b);
  };
  // BMP sides out of bounds; GIF: a huge screen, a huge first image, an image placed beyond the bound.
  int row = 0;
  for (const auto& [kind, b] : {bmp(100000, 100000), bmp(MaxPictureSide + 1, 1), bmp(1, -(MaxPictureSide + 1)), bmp(0, 2), bmp(2, 0), bmp(-2, 2),
                                bmp(INT32_MIN, INT32_MIN), bmp(2, INT32_MIN), gifWith({6, 7, 8, 9}), gifWith({at + 5, at + 6}), gifWith({at + 1, at + 2})}) {
    EXPECT_FALSE(portable::PeekPictureSize(kind, b.data(), b.size()) || portable::DecodePicture(kind, b.data(), b.size())) << row++;
  }
  // At the bound the header passes and the missing pixel data is refused.
  const Bytes atBound = bmp(MaxPictureSide, -MaxPictureSide).second;
  EXPECT_EQ(portable::PeekPictureSize(PictureKind::Bmp, atBound.data(), atBound.size()).value_or(portable::PictureSize{}).height, MaxPictureSide);
  EXPECT_FALSE(portable::DecodeBmp(atBound.data(), atBound.size()));
  // Every prefix of valid files, each in its own block so that the sanitizer runs see a read past the end.
  for (const Bytes& file : {testing::BmpBytes(testing::Pattern(6, 5), 24, false), testing::BmpBytes(testing::Pattern(6, 5), 8, true), gif})
    for (size_t n = 0; n < file.size(); n += (n < 80 ? 1 : 37)) {
      const Bytes part(file.begin(), file.begin() + std::ptrdiff_t(n));
      const auto decoded = portable::DecodePicture(DetectKind(file.data()), part.data(), part.size());
      EXPECT_LE(decoded ? decoded->width : 0, 6) << n;
    }
}

// The capture holds the picture with red in the low byte, survives failed loads, keeps
// its delay during a pass; a reload or destruction stops the pass.
TEST_F(ImageTest, CapturePixelsDelayAndStops) {
  const PixelSurface picture = testing::Pattern(17, 9);
  ImageObject image(&surfaces);
  EXPECT_EQ(std::pair(image.CaptureReady(), image.Pixels()), std::pair(0, (const uint32_t*)nullptr));
  ASSERT_EQ(image.Load(Write("capture.bmp", testing::BmpBytes(picture, 24, true)).c_str()), 1);
  ASSERT_TRUE(WaitFor([&] { return image.CaptureReady() == 1; }));
  const uint32_t* pixels = image.Pixels();
  for (size_t i = 0; i < picture.pixels.size(); ++i) ASSERT_EQ(pixels[i], __builtin_bswap32(picture.pixels[i]) >> 8) << i;
  EXPECT_EQ(image.Load(testing::TempPath("capture_missing.bmp").c_str()) + image.Load(Write("junk.bin", {1, 2, 3}).c_str()), 0);
  EXPECT_EQ(std::pair(image.CaptureReady(), image.Pixels()), std::pair(1, pixels));
  auto slowImage = Loaded(PixelSurface(8, 32, 0x00FF00));
  ASSERT_TRUE(WaitFor([&] { return !slowImage->CaptureRunning(); }));
  ASSERT_EQ(slowImage->SetCaptureDelay(20), 1);
  const std::string slow = Write("slow.bmp", testing::BmpBytes(PixelSurface(8, 32, 0x00FF00), 24, false));
  ASSERT_EQ(slowImage->Load(slow.c_str()), 1);
  // 32 rows of 20 ms: still running, and the worker reads its own copy.
  EXPECT_EQ(std::tuple(slowImage->SetCaptureDelay(-1), slowImage->CaptureReady(), slowImage->Draw(0, 0, 0) != 0, window.surface.At(7, 15)),
            std::tuple(0, 0, true, 0x00FF00u));
  ASSERT_TRUE(WaitFor([&] { return !slowImage->CaptureRunning(); }));
  EXPECT_EQ(std::pair(slowImage->CaptureReady(), slowImage->SetCaptureDelay(-1)), std::pair(1, 1));
  ASSERT_EQ(slowImage->Load(slow.c_str()), 1);  // a negative delay starts no pass
  EXPECT_EQ(std::tuple(slowImage->CaptureRunning(), slowImage->CaptureReady(), slowImage->Pixels()), std::tuple(false, 0, (const uint32_t*)nullptr));
  ASSERT_EQ(slowImage->SetCaptureDelay(1000) * slowImage->Load(slow.c_str()) * slowImage->Load(slow.c_str()), 1);  // stops the running pass
  EXPECT_EQ(slowImage->CaptureReady(), 0);
  slowImage.reset();
  std::vector<std::unique_ptr<ImageObject>> images(40);  // many objects capturing side by side
  for (auto& each : images) each = Loaded(PixelSurface(24, 32, 0x0000FF), false);
  for (auto& each : images) EXPECT_TRUE(WaitFor([&] { return each->CaptureReady() == 1; }) && each->Pixels()[24 * 32 - 1] == 0xFF0000u);
}

// A paint copies the back buffer to the window, back buffer lock first as the hosts
// do; one that falls between a draw's two writes must not leave the old picture.
// And a release racing the worker's report must leave the ready flag clear.
TEST_F(ImageTest, PaintsAndReleasesRacingTheDrawsAndTheWorker) {
  const uint32_t colours[2] = {0xFF0000, 0x0000FF};
  PixelSurface tiny(1, 1, 0x123456);
  std::unique_ptr<ImageObject> images[2] = {Loaded(PixelSurface(64, 48, colours[0])), Loaded(PixelSurface(64, 48, colours[1]))};
  std::atomic<bool> done{false};
  std::thread painter([&] {
    while (!done.load()) {
      std::lock_guard<std::mutex> backGuard(back.mutex), windowGuard(window.mutex);
      for (int32_t y = 0; y < 48; ++y) std::copy_n(&back.surface.At(0, y), 64, &window.surface.At(0, y));
    }
  });
  int stale = 0, setAfterRelease = 0;
  for (int i = 0; i < 4000; ++i) {
    images[i % 2]->Draw(0, 0, 0);
    std::lock_guard<std::mutex> guard(window.mutex);
    stale += window.surface.At(5, 5) != colours[i % 2];
  }
  done.store(true);
  painter.join();
  for (int i = 0; i < 8000; ++i) {  // the spin moves the release across the pass
    images[0]->AttachBitmap(&tiny);
    for (volatile int spin = 0; spin < i % 512;) spin = spin + 1;
    images[0]->ReleasePicture();
    setAfterRelease += images[0]->CaptureReady();
  }
  EXPECT_EQ(stale + setAfterRelease, 0);
}

#if DFX_TEST_SDL
// Files from SDL's own writers (a BMP with its own header layout, PNG, JPEG), and a
// JPEG claiming an oversized frame.
TEST_F(ImageTest, FilesFromRealWritersAndAnOversizedJpeg) {
  const PixelSurface picture = testing::Pattern(20, 12);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 20, 12, 32, SDL_PIXELFORMAT_RGB888);
  for (int y = 0; y < 12; ++y) std::copy_n(picture.pixels.begin() + y * 20, 20, reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch));
  const std::string bmp = Write("sdl.bmp", {}), png = Write("sdl.png", {}), jpg = Write("sdl.jpg", {}), flat = Write("flat.jpg", {});
  ASSERT_EQ(SDL_SaveBMP(surface, bmp.c_str()) | IMG_SavePNG(surface, png.c_str()) | IMG_SaveJPG(surface, jpg.c_str(), 95), 0);
  SDL_FillRect(surface, nullptr, 0x00336699);
  ASSERT_EQ(IMG_SaveJPG(surface, flat.c_str(), 100), 0);
  SDL_FreeSurface(surface);
  ImageObject image(&surfaces);
  image.BindToWindow();
  // (path, loaded, kind, drawn exactly); the flat JPEG within 3 per channel.
  for (auto [path, loaded, kind, exact] : {std::tuple{bmp, 1, PictureKind::Bmp, true}, {png, 0, PictureKind::Png, false},
                                           {jpg, 1, PictureKind::Jpeg, false}, {Write("made.gif", testing::GifBytes(picture)), 1, PictureKind::Gif, true}}) {
    EXPECT_EQ(image.Load(path.c_str()), loaded) << path;
    EXPECT_EQ(std::tuple(image.Loader().kind, image.Loader().width, image.Loader().height, !exact || image.Draw(0, 0, 0) != 0), std::tuple(kind, 20, 12, true)) << path;
    for (int32_t i = 0; exact && i < 20 * 12; ++i) ASSERT_EQ(window.surface.At(i % 20, i / 20), picture.pixels[size_t(i)]) << path << i;
  }
  ASSERT_TRUE(image.Load(flat.c_str()) == 1 && image.Draw(0, 0, 0) != 0);
  for (int shift : {16, 8, 0}) EXPECT_NEAR(int(window.surface.At(5, 5) >> shift & 0xFF), int(0x336699 >> shift & 0xFF), 3) << shift;
  // A frame header announcing 60000 x 60000 is refused before decoding.
  Bytes huge(std::istreambuf_iterator<char>(std::ifstream(jpg, std::ios::binary).rdbuf()), {});
  const uint8_t frame[] = {0xFF, 0xC0};
  const size_t sof = size_t(std::search(huge.begin() + 2, huge.end(), frame, frame + 2) - huge.begin());
  ASSERT_LT(sof + 8, huge.size());
  huge[sof + 5] = huge[sof + 7] = 0xEA, huge[sof + 6] = huge[sof + 8] = 0x60;
  EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Jpeg, huge.data(), huge.size()));
  EXPECT_EQ(image.Load(Write("huge.jpg", huge).c_str()), 0);
}
#endif

}  // namespace
}  // namespace dfx
