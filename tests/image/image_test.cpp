// Image objects: one suite run over every implementation built here (the portable one
// on pixel surfaces and, on Windows, the GDI one), then what only one of them has:
// the portable decoders, raster operations and races, and the GDI loader's own cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <type_traits>

#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "test_pictures.h"
#ifdef _WIN32
#include "image/win32/image_object.h"
#endif
#ifndef DFX_TEST_SDL
#define DFX_TEST_SDL 0
#endif

namespace dfx {
namespace {

using portable::PixelSurface;
using testing::Bytes;

// The fuzzers' GIF seed: Pattern(7, 5) under a global table of 256 colours, codes uncompressed.
const Bytes kGif = testing::ReadFileBytes(DFX_SOURCE_DIR "/tests/fuzz/seeds/picture_load/picture.gif");

// Each implementation with its window surfaces; a Canvas is a square target read as
// 0x00RRGGBB, and Captured waits for the capture pass and gives its ready flag.
struct PortableRig {
  using Object = portable::ImageObject;
  struct Canvas : portable::DrawTarget {
    explicit Canvas(int32_t s, uint32_t fill = 0) : DrawTarget(s, s, fill), side(s) {}
    uint32_t At(int32_t x, int32_t y) { return surface.At(x, y); }
    int32_t side;
    DrawTarget* dc = this;
  };
  static constexpr int32_t readsGif = DFX_TEST_SDL;  // through SDL2_image only
  static int32_t Captured(Object& image) {           // real time; the limit only guards against a hang
    for (int i = 0; i < 20000 && image.CaptureRunning(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return image.CaptureReady();
  }
  Canvas window{64}, back{64};
  portable::WindowSurfaces surfaces{&window, &back};
};

#ifdef _WIN32
struct Win32Rig {
  using Object = win32::ImageObject;
  struct Canvas {  // a memory device context over a 32-bit top-down DIB
    explicit Canvas(int32_t s, uint32_t fill = 0) : side(s) {
      BITMAPINFO info{{sizeof(BITMAPINFOHEADER), s, -s, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
      SelectObject(dc, bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                                 nullptr, 0));
      std::fill(bits, bits + s * s, fill);
    }
    ~Canvas() {
      DeleteDC(dc);
      DeleteObject(bitmap);
    }
    uint32_t At(int32_t x, int32_t y) {
      GdiFlush();
      return bits[y * side + x] & 0xFFFFFF;
    }
    int32_t side;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;  // 0x00RRGGBB words, top row first
  };
  static constexpr int32_t readsGif = 1;
  static int32_t Captured(Object& image) {
    image.WaitForCapture();
    return image.CaptureReady();
  }
  Win32Rig() {
    surfaces.window.store(window);
    surfaces.backBufferDc.store(back.dc);
  }
  ~Win32Rig() { DestroyWindow(window); }
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  Canvas back{64};
  win32::WindowSurfaces surfaces;
};
using Rigs = ::testing::Types<PortableRig, Win32Rig>;
#else
using Rigs = ::testing::Types<PortableRig>;
#endif

// Picture files removed afterwards, and image objects loaded from them.
template <typename Rig>
struct ImageSuite : ::testing::Test, Rig {
  ~ImageSuite() override {
    for (const auto& p : paths) std::remove(p.c_str());
  }
  std::string Write(const std::string& name, const Bytes& bytes) {
    testing::WriteFileBytes(paths.emplace_back(testing::TempPath(name)), bytes);
    return paths.back();
  }
  std::unique_ptr<typename Rig::Object> Loaded(const PixelSurface& picture, bool bind = true) {
    auto image = std::make_unique<typename Rig::Object>(&this->surfaces);
    EXPECT_EQ(image->Load(Write("p.bmp", testing::BmpBytes(picture, 24, false)).c_str()), 1);
    if (bind) image->BindToWindow();
    return image;
  }
  static int Lit(typename Rig::Canvas& c) {  // pixels not black
    int n = 0;
    for (int32_t i = 0; i < c.side * c.side; ++i) n += c.At(i % c.side, i / c.side) != 0;
    return n;
  }
  std::vector<std::string> paths;
  const PixelSurface pattern = testing::Pattern(24, 32);
};
TYPED_TEST_SUITE(ImageSuite, Rigs);

TYPED_TEST(ImageSuite, DrawsStretchedIntoTheBoundBackBufferOrOnlyAnExplicitTarget) {
  using Canvas = typename TypeParam::Canvas;
  auto image = this->Loaded(this->pattern, false);
  image->Draw(8, 8, 0);
  EXPECT_EQ(this->back.At(13, 15), 0u) << "an unbound object has no back buffer";
  image->BindToWindow();
  // Asked size -> drawn size (missing or negative sides follow the ratio), by nearest pixel.
  for (auto [w, h, drawnW, drawnH] : {std::array{0, 0, 24, 32},
                                      {48, 0, 48, 64},
                                      {0, 16, 12, 16},
                                      {-5, -5, 24, 32},
                                      {30, 7, 30, 7},
                                      {0, 1, 0, 1}}) {
    Canvas target(128, 0x123456);
    EXPECT_TRUE(image->Draw(8, 8, w, h, 0, target.dc) != 0 || drawnW == 0);
    // GDI drops other pixels than ours when shrinking.
    for (int32_t i = 0;
         i < drawnW * drawnH && ((drawnW >= 24 && drawnH >= 32) || std::is_same_v<TypeParam, PortableRig>);
         ++i)
      ASSERT_EQ(target.At(8 + i % drawnW, 8 + i / drawnW),
                this->pattern.At(i % drawnW * 24 / drawnW, i / drawnW * 32 / drawnH))
          << w << "x" << h;
    EXPECT_EQ(std::pair(target.At(8 + drawnW, 8), target.At(8, 8 + drawnH)), std::pair(0x123456u, 0x123456u))
        << w << "x" << h;
  }
  EXPECT_EQ(this->back.At(13, 15), 0u) << "an explicit target keeps the back buffer out";
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  EXPECT_EQ(std::pair(this->back.At(8 + 23, 8 + 31), this->back.At(8 + 24, 8 + 32)),
            std::pair(this->pattern.At(23, 31), 0u));
  Canvas target(64, 0x0F0F0F);
  EXPECT_NE(image->Draw(0, 0, 0, 0, RopSrcInvert, target.dc), 0);
  EXPECT_EQ(target.At(3, 5), this->pattern.At(3, 5) ^ 0x0F0F0F);
  // Clipped at every edge without wrapping.
  image = this->Loaded(PixelSurface(10, 10, 0xFFFFFF));
  Canvas clip(64);
  for (auto [x, y] : {std::pair{-5, -5}, {60, 45}, {INT_MAX - 3, INT_MAX - 3}, {INT_MIN, 0}})
    EXPECT_NE(image->Draw(x, y, 0, 0, 0, clip.dc), 0);
  EXPECT_EQ(this->Lit(clip), 25 + 4 * 10);
}

TYPED_TEST(ImageSuite, KindComesFromTheFirstBytesAndFailuresKeepOrEmptyThePicture) {
  using R = TypeParam;
  const PixelSurface small = testing::Pattern(12, 10);
  Bytes cutGif = kGif, shortPng = testing::PngHeaderBytes(0x01020304, 5);
  cutGif.resize(cutGif.size() / 2);
  shortPng.resize(18);  // a PNG's missing size bytes read as 0
  // (path, loaded, kind, width, height), each over the 24x32 pattern: a path that cannot be
  // opened ("" for null) keeps it, any other failure empties it; a PNG is only measured.
  using enum PictureKind;
  auto file = [this](const char* name, const Bytes& bytes) { return this->Write(name, bytes); };
  const std::tuple<std::string, int32_t, PictureKind, int32_t, int32_t> files[] = {
      {file("really_a_gif.bmp", kGif), R::readsGif, Gif, 7 * R::readsGif, 5 * R::readsGif},
      {file("really_a_bmp.gif", testing::BmpBytes(small, 24, false)), 1, Bmp, 12, 10},
      {file("short.png", shortPng), 0, Png, 0x01020000, 0},
      {file("header.png", testing::PngHeaderBytes(300, 70000)), 0, Png, 300, 70000},
      {file("text.bmp", {'h', 'e', 'l', 'l', 'o'}), 0, None, 0, 0},
      {file("gi", {'G', 'I'}), 0, None, 0, 0},
      {file("bm_lower", {'B', 'm'}), 0, None, 0, 0},
      {file("ff", {0xFF}), 0, None, 0, 0},
      {file("png7", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}), 0, None, 0, 0},  // the eighth byte reads as 0
      {testing::TempPath("no_such_file.bmp"), 0, Bmp, 24, 32},
      {::testing::TempDir(), 0, Bmp, 24, 32},
      {"", 0, Bmp, 24, 32},
      {file("bm", {'B', 'M'}), 0, Bmp, 0, 0},
      {file("gif", {'G', 'I', 'F'}), 0, Gif, 0, 0},
      {file("cut.gif", cutGif), 0, Gif, 0, 0},
      {file("huge.jpg", testing::JpegHeaderBytes(60000, 60000)), 0, Jpeg, 0, 0},
      {file("huge.bmp", testing::WithSides(testing::BmpBytes(small, 24, false), 100000, 100000)), 0, Bmp, 0,
       0},
      {file("big.gif", testing::WithSides(kGif, 65535, 65535)), 0, Gif, 0, 0}};
  for (const auto& [path, loaded, kind, w, h] : files) {
    typename R::Canvas target(64, 0x123456);
    auto image = this->Loaded(this->pattern);
    const bool drawn = kind != Png && w > 0;
    const uint32_t seen = drawn ? this->pattern.At(5, 3) : 0x123456u;  // every picture here is a Pattern
    EXPECT_EQ(image->Load(path.empty() ? nullptr : path.c_str()), loaded) << path;
    EXPECT_EQ(
        std::tuple(image->Loader().kind, image->Loader().width, image->Loader().height, image->BitmapWidth(),
                   image->BitmapHeight(), image->Draw(0, 0, 0, 0, 0, target.dc) != 0),
        std::tuple(kind, w, h, drawn * w, drawn * h, drawn))
        << path;
    EXPECT_EQ(target.At(5, 3), seen) << path;
    EXPECT_EQ(image->Draw(40, 40, 0) && this->back.At(45, 43) == seen, drawn) << path;  // still bound
  }
}

// The capture holds the picture as colour words (red in the low byte), keeps its delay
// during a pass, survives failed loads; a reload or destruction stops a pass.
TYPED_TEST(ImageSuite, CaptureReadsColourWordsAndStopsOnNegativeDelayReloadOrDestruction) {
  auto image = std::make_unique<typename TypeParam::Object>(&this->surfaces);
  const std::string bmp = this->Write("capture.bmp", testing::BmpBytes(this->pattern, 24, false));
  ASSERT_TRUE(image->SetCaptureDelay(20) == 1 && image->Load(bmp.c_str()) == 1);  // 32 rows of 20 ms
  EXPECT_EQ(std::pair(image->SetCaptureDelay(-1), image->CaptureReady()), std::pair(0, 0));
  ASSERT_EQ(TypeParam::Captured(*image), 1);
  const uint32_t* pixels = image->Pixels();
  for (size_t i = 0; i < 24 * 32; ++i)
    ASSERT_EQ(pixels[i], __builtin_bswap32(this->pattern.pixels[i]) >> 8) << i;
  EXPECT_EQ(image->Load(testing::TempPath("capture_missing.bmp").c_str()) +
                image->Load(this->Write("junk.bin", {1, 2, 3}).c_str()),
            0);
  EXPECT_EQ(std::tuple(image->CaptureReady(), image->Pixels(), image->SetCaptureDelay(-1)),
            std::tuple(1, pixels, 1));
  ASSERT_EQ(image->Load(bmp.c_str()), 1);
  EXPECT_EQ(std::pair(image->CaptureReady(), image->Pixels()), std::pair(0, (const uint32_t*)nullptr))
      << "no pass after a negative delay";
  // At this delay a pass takes half a minute.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(image->SetCaptureDelay(1000) == 1 && image->Load(bmp.c_str()) == 1 &&
              image->Load(bmp.c_str()) == 1);  // stops the first pass
  EXPECT_EQ(image->CaptureReady(), 0);
  image.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

using PortableImage = ImageSuite<PortableRig>;

// Sizes derived from the bitmap's ratio, truncated; raster operations by their truth table. Without binding
// there is no window to draw on; bound, each surface's own pixel meets the source; a huge rectangle is
// clipped, not iterated.
TEST_F(PortableImage, DerivedSizesRasterOperationsTheSurfacesTheyReachAndARealJpeg) {
  // Sides the suite's 24x32 picture cannot show: truncation either way, an empty bitmap.
  int32_t sizes[][6] = {{1, 0, 32, 24, 1, 0}, {5, 0, 3, 7, 5, 11}, {0, 5, 0, 0, 0, 5}, {5, 0, 0, 0, 5, 0}};
  for (auto [w, h, bw, bh, wantW, wantH] : sizes) {
    ResolveDrawSize(w, h, bw, bh);
    EXPECT_EQ(std::pair(w, h), std::pair(wantW, wantH)) << bw << "x" << bh << " to " << wantW << "x" << wantH;
  }
  const uint32_t s = 0x00F0CC0F, d = 0x00AA55FF;
  const std::pair<uint32_t, uint32_t> rops[] = {{RopSrcCopy, s},
                                                {RopSrcPaint, 0x00FADDFF},
                                                {RopSrcAnd, 0x00A0440F},
                                                {RopSrcInvert, 0x005A99F0},
                                                {RopNotSrcCopy, 0x000F33F0},
                                                {RopBlackness, 0},
                                                {RopWhiteness, 0x00FFFFFF},
                                                {0x00BB0226, 0x00AF77FF},
                                                {0x00AA0029, d},
                                                {0x00F00021, 0x00FFFFFF}};
  // Each by its own code and by its truth table alone (the low bits changed).
  for (auto [rop, want] : rops)
    EXPECT_EQ(std::pair(portable::ApplyRop(rop, s, d), portable::ApplyRop(rop ^ 1, s, d)),
              std::pair(want, want))
        << std::hex << rop;
  auto image = Loaded(PixelSurface(4, 4, 0x0F0F0F), false);
  EXPECT_EQ(image->Draw(0, 0, 0), 0);
  window.surface.At(3, 3) = 0xF000F0;
  back.surface.At(3, 3) = 0x00F000;
  image->BindToWindow();
  EXPECT_NE(image->Draw(3, 3, RopSrcPaint), 0);
  EXPECT_EQ(std::tuple(window.At(3, 3), back.At(3, 3), window.dirty.load(), back.dirty.load()),
            std::tuple(0xFF0FFFu, 0x0FFF0Fu, true, true));
  EXPECT_NE(Loaded(PixelSurface(10, 10, 0xFFFFFF))->Draw(INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, 0), 0);
  EXPECT_EQ(Lit(window) + Lit(back), 2 * 64 * 64);
#if DFX_TEST_SDL  // and a JPEG from a real writer (the fuzzers' seed), its colours converted as a GIF's are
  ASSERT_EQ(image->Load(DFX_SOURCE_DIR "/tests/fuzz/seeds/picture_load/picture.jpg"), 1);
  EXPECT_EQ(
      std::tuple(image->Loader().kind, image->BitmapWidth(), image->BitmapHeight(), image->Draw(0, 0, 0)),
      std::tuple(PictureKind::Jpeg, 7, 5, 1));
#endif
}

TEST(PortableDecode, EveryBmpLayoutDecodesAndOversizedOrDamagedFilesAreRefused) {
  PixelSurface two(13, 5), sixteen(7, 9), many = testing::Pattern(11, 6);
  for (int32_t i = 0; i < 13 * 5; ++i) two.pixels[size_t(i)] = i % 3 == 0 ? 0x123456 : 0xFEDCBA;
  for (int32_t i = 0; i < 7 * 9; ++i) sixteen.pixels[size_t(i)] = uint32_t(i * 5 % 16) * 0x0F0F0F;
  for (auto [picture, bpp] : {std::pair{&two, 1}, {&sixteen, 4}, {&sixteen, 8}, {&many, 24}, {&many, 32}})
    for (bool topDown : {false, true}) {
      const Bytes bytes = testing::BmpBytes(*picture, bpp, topDown);
      const PixelSurface got = portable::DecodeBmp(bytes.data(), bytes.size()).value_or(PixelSurface());
      EXPECT_EQ(std::pair(got.width, got.pixels), std::pair(picture->width, picture->pixels))
          << bpp << " bits, top-down " << topDown;
    }
  // Bit fields in another order than the default decode like the 24-bit twin, by the BMP decoder and
  // through the general one, which must not hand them to a library first.
  const Bytes fields = testing::BmpBytes(many, 32, true, {0x0000FF00, 0xFF000000, 0x000000FF});
  for (const auto& got : {portable::DecodeBmp(fields.data(), fields.size()),
                          portable::DecodePicture(PictureKind::Bmp, fields.data(), fields.size())})
    EXPECT_EQ(got.value_or(PixelSurface()).pixels, many.pixels);
  // Oversized and damaged files are refused without crashing.
  using testing::WithSides;
  const Bytes gif = kGif, bmp = testing::BmpBytes(testing::Pattern(2, 2), 24, false);
  constexpr int32_t Max = MaxPictureSide;
  // The first image's width or left edge past the bound, or the image below the screen.
  const size_t image = 13 + 3 * 256;  // its descriptor, after the header and the colour table
  Bytes wide = gif, beyond = gif, taller = gif;
  wide[image + 5] = wide[image + 6] = 0xFF;
  beyond[image + 1] = beyond[image + 2] = 0xFF;
  taller[image + 7] = 6;
  for (const Bytes& b : {WithSides(bmp, Max + 1, 1), WithSides(bmp, 1, -(Max + 1)), WithSides(bmp, 0, 2),
                         WithSides(bmp, 2, 0), WithSides(bmp, -2, 2), WithSides(bmp, INT32_MIN, INT32_MIN),
                         WithSides(bmp, 2, INT32_MIN), WithSides(gif, Max + 1, 1), WithSides(gif, 1, 0), wide,
                         beyond, taller, testing::JpegHeaderBytes(Max + 1, 1),
                         testing::JpegHeaderBytes(1, Max + 1), testing::JpegHeaderBytes(1, 1, 6)})
    EXPECT_FALSE(PeekPictureSize(DetectKind(b.data()), b.data(), b.size()) ||
                 portable::DecodePicture(DetectKind(b.data()), b.data(), b.size()));
  // At the bound the headers pass, and a BMP's missing pixel data is refused.
  const Bytes atBound = WithSides(bmp, Max, -Max);
  for (const Bytes& b : {atBound, WithSides(gif, Max, Max), testing::JpegHeaderBytes(Max, Max, 7)})
    EXPECT_EQ(PeekPictureSize(DetectKind(b.data()), b.data(), b.size()).value_or(PictureSize{}).width, Max);
  EXPECT_FALSE(portable::DecodeBmp(atBound.data(), atBound.size()));
  // Every prefix of valid files, each in its own block so that the sanitizer runs see a read past the end.
  for (const Bytes& file : {testing::BmpBytes(testing::Pattern(6, 5), 24, false),
                            testing::BmpBytes(testing::Pattern(6, 5), 8, true), gif, fields})
    for (size_t n = 0; n < file.size(); n += (n < 80 ? 1 : 37))
      EXPECT_LE(portable::DecodePicture(DetectKind(file.data()),
                                        Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)).data(), n)
                    .value_or(PixelSurface())
                    .width,
                7)
          << n;
}

// A paint copies the back buffer to the window, back buffer lock first as the hosts
// do; one that falls between a draw's two writes must not leave the old picture.
// And a release racing the worker's report must leave the ready flag clear.
TEST_F(PortableImage, PaintsAndReleasesRacingTheDrawsAndTheWorker) {
  const uint32_t colours[2] = {0xFF0000, 0x0000FF};
  std::unique_ptr<portable::ImageObject> images[2] = {Loaded(PixelSurface(64, 48, colours[0])),
                                                      Loaded(PixelSurface(64, 48, colours[1]))};
  std::atomic<bool> done{false};
  std::thread painter([&] {
    while (!done.load()) {
      std::lock_guard<std::mutex> backGuard(back.mutex), windowGuard(window.mutex);
      window.surface.pixels = back.surface.pixels;
    }
  });
  int faults = 0;
  for (int i = 0; i < 4000; ++i) {
    images[i % 2]->Draw(0, 0, 0);
    std::lock_guard<std::mutex> guard(window.mutex);
    faults += window.surface.At(5, 5) != colours[i % 2];
  }
  done.store(true);
  painter.join();
  faults += PortableRig::Captured(*images[1]) != 1;  // at the default delay a pass runs at once
  PixelSurface tiny(1, 1, 0x123456);
  for (int i = 0; i < 8000; ++i) {  // the spin moves the release across the pass
    images[0]->AttachBitmap(&tiny);
    for (volatile int spin = 0; spin < i % 512;) spin = spin + 1;
    images[0]->ReleasePicture();
    faults += images[0]->CaptureReady();
  }
  EXPECT_EQ(faults, 0);
}

#ifdef _WIN32
// An image object whose private heap is too small for any pixel buffer.
struct StarvedImage : win32::ImageObject {
  explicit StarvedImage(win32::WindowSurfaces* s) : ImageObject(s) {
    HeapDestroy(heap);
    heap = HeapCreate(0, 4096, 4096);
  }
};

// A file another opener holds without sharing writes cannot be opened: the old picture stays.
using Win32Image = ImageSuite<Win32Rig>;
TEST_F(Win32Image, HeldFileDeletedBackBufferStarvedHeapAndHiMetric) {
  auto image = Loaded(pattern);
  const std::string held = Write("held.bmp", testing::BmpBytes(testing::Pattern(8, 8), 24, false));
  HANDLE handle =
      CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(image->Load(held.c_str()), 0);
  CloseHandle(handle);
  surfaces.backBufferDc.store(nullptr);  // the window has deleted its back buffer
  EXPECT_TRUE(image->BitmapWidth() == 24 && image->Draw(50, 50, 0) != 0);
  EXPECT_EQ(back.At(55, 57), 0u);
  StarvedImage starved(&surfaces);
  ASSERT_EQ(starved.Load(Write("big.bmp", testing::BmpBytes(testing::Pattern(64, 64), 24, false)).c_str()),
            1);
  EXPECT_TRUE(Win32Rig::Captured(starved) == 0 && starved.Pixels() == nullptr) << "no buffer, never ready";
  // OLE pictures measure in hundredths of a millimetre: rounded to pixels.
  for (auto [himetric, dpi, want] :
       {std::array{2540, 96, 96}, {635, 96, 24}, {13, 96, 0}, {14, 96, 1}, {318, 120, 15}, {0, 96, 0}})
    EXPECT_EQ(win32::HiMetricToPixels(himetric, dpi), want) << himetric << " at " << dpi;
}
#endif

}  // namespace
}  // namespace dfx
