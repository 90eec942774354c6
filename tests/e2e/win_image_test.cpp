// GDI image objects: loading by first bytes, the load-failure rules, stretched drawing
// into a device context and the back buffer, and the capture worker.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "image/win32/image_object.h"
#include "test_pictures.h"

namespace dfx::win32 {
namespace {

using dfx::testing::BmpBytes;
using dfx::testing::Bytes;
using dfx::testing::GifBytes;
using dfx::testing::Pattern;
using dfx::testing::PngHeaderBytes;
using dfx::testing::TempPath;
using dfx::testing::WriteFileBytes;

// GDI colour word (0x00BBGGRR) of a pattern pixel (0x00RRGGBB).
uint32_t ColourWord(uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF); }

// A memory device context over a 32-bit DIB, filled with one colour, whose pixels
// the test reads directly.
class Canvas {
 public:
  Canvas(int32_t w, int32_t h, uint32_t fill = 0x00123456) : width_(w), height_(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    for (int32_t i = 0; i < w * h; ++i) bits_[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  // 0x00RRGGBB, as the pattern is written.
  uint32_t At(int32_t x, int32_t y) const {
    GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }
  int32_t width_;
  int32_t height_;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  uint32_t* bits_ = nullptr;
};

// Writes a picture file and returns its path.
std::string PictureFile(const std::string& name, const Bytes& bytes) {
  std::string path = TempPath("win_" + name);
  WriteFileBytes(path, bytes);
  return path;
}

class Win32ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    surfaces_.window.store(window_);
    surfaces_.backBufferDc.store(back_.Dc());
  }
  void TearDown() override { DestroyWindow(window_); }

  HWND window_ = nullptr;
  Canvas back_{128, 128, 0};
  WindowSurfaces surfaces_;
  const portable::PixelSurface pattern_ = Pattern(24, 32);
  const std::string bmp_ = PictureFile("pattern.bmp", BmpBytes(pattern_, 24, false));
};

TEST_F(Win32ImageTest, FormOneCopiesThePictureAtItsOwnSizeIntoTheGivenContextOnly) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  image.BindToWindow();
  EXPECT_EQ(image.BitmapWidth(), 24);
  EXPECT_EQ(image.BitmapHeight(), 32);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);

  Canvas target(64, 64);
  EXPECT_NE(image.Draw(8, 8, 0, 0, 0, target.Dc()), 0);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(target.At(8 + x, 8 + y), pattern_.At(x, y)) << x << "," << y;
  }
  EXPECT_EQ(target.At(7, 8), 0x123456u);
  EXPECT_EQ(target.At(32, 8), 0x123456u);
  EXPECT_EQ(target.At(8, 40), 0x123456u);
  // An explicit context keeps the bound object's back buffer out of it.
  ASSERT_NE(pattern_.At(5, 7), 0u);
  EXPECT_EQ(back_.At(8 + 5, 8 + 7), 0u);
}

TEST_F(Win32ImageTest, DrawingWithoutContextReachesTheBackBufferOnceBound) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  ASSERT_NE(pattern_.At(5, 7), 0u);
  image.Draw(8, 8, 0);
  EXPECT_EQ(back_.At(8 + 5, 8 + 7), 0u) << "an unbound object has no back buffer";

  image.BindToWindow();
  image.Draw(8, 8, 0);
  EXPECT_EQ(back_.At(8 + 5, 8 + 7), pattern_.At(5, 7));
  EXPECT_EQ(back_.At(31, 39), pattern_.At(23, 31));
  EXPECT_EQ(back_.At(32, 40), 0u);

  // Once the window has deleted its back buffer, draws leave it alone.
  surfaces_.backBufferDc.store(nullptr);
  Canvas fresh(64, 64);
  EXPECT_NE(image.Draw(40, 40, 0, 0, 0, fresh.Dc()), 0);
  image.Draw(50, 50, 0);
  EXPECT_EQ(back_.At(50 + 5, 50 + 7), 0u);
}

TEST_F(Win32ImageTest, DerivedSizesFollowTheAspectRatioAndStretchNearestPixel) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);

  Canvas doubled(128, 128);
  image.Draw(8, 8, 48, 0, 0, doubled.Dc());
  for (int32_t y = 0; y < 64; y += 7) {
    for (int32_t x = 0; x < 48; x += 5) ASSERT_EQ(doubled.At(8 + x, 8 + y), pattern_.At(x / 2, y / 2)) << x << "," << y;
  }
  EXPECT_EQ(doubled.At(8 + 48, 8), 0x123456u);
  EXPECT_EQ(doubled.At(8, 8 + 64), 0x123456u);

  Canvas halved(64, 64);
  image.Draw(8, 8, 0, 16, 0, halved.Dc());
  EXPECT_NE(halved.At(8 + 11, 8 + 15), 0x123456u);
  EXPECT_EQ(halved.At(8 + 12, 8), 0x123456u) << "0 x 16 on 24x32 is 12 wide";
  EXPECT_EQ(halved.At(8, 8 + 16), 0x123456u);

  // Negative sizes are derived like 0, never mirrored.
  Canvas negative(64, 64);
  image.Draw(8, 8, -5, -5, 0, negative.Dc());
  EXPECT_EQ(negative.At(8 + 5, 8 + 7), pattern_.At(5, 7));
  EXPECT_EQ(negative.At(31, 39), pattern_.At(23, 31));
}

TEST_F(Win32ImageTest, RasterOperationsCombineWithTheDestination) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  Canvas target(64, 64, 0x0F0F0F);
  image.Draw(0, 0, 0, 0, RopSrcInvert, target.Dc());
  EXPECT_EQ(target.At(3, 5), pattern_.At(3, 5) ^ 0x0F0F0F);
  image.Draw(0, 0, 0, 0, RopBlackness, target.Dc());
  EXPECT_EQ(target.At(3, 5), 0u);
}

TEST_F(Win32ImageTest, EmptyObjectDrawsNothing) {
  ImageObject image(&surfaces_);
  image.BindToWindow();
  Canvas target(64, 64);
  EXPECT_EQ(image.Draw(0, 0, 0, 0, 0, target.Dc()), 0);
  EXPECT_EQ(image.Draw(0, 0, 0), 0);
  EXPECT_EQ(image.Draw(0, 0, 10, 10, 0), 0);
  EXPECT_EQ(image.BitmapWidth(), 0);
  EXPECT_EQ(target.At(0, 0), 0x123456u);
  EXPECT_EQ(back_.At(0, 0), 0u);
}

TEST_F(Win32ImageTest, MissingFileKeepsTheOldPictureUnreadableFileEmptiesTheObject) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  EXPECT_EQ(image.Load(TempPath("win_no_such_file.bmp").c_str()), 0);
  Canvas target(64, 64);
  EXPECT_NE(image.Draw(0, 0, 0, 0, 0, target.Dc()), 0);
  EXPECT_EQ(target.At(1, 2), pattern_.At(1, 2));

  std::string text = PictureFile("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_EQ(image.Load(text.c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::None);
  EXPECT_EQ(image.Draw(0, 0, 0, 0, 0, target.Dc()), 0);
  EXPECT_EQ(image.BitmapWidth(), 0);
}

TEST_F(Win32ImageTest, AFileLockedByAnotherOpenerIsNotOpenable) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  HANDLE held = CreateFileA(bmp_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(image.Load(bmp_.c_str()), 0);
  CloseHandle(held);
  EXPECT_EQ(image.BitmapWidth(), 24) << "the old picture stays";
}

TEST_F(Win32ImageTest, KindComesFromTheFirstBytesNotTheName) {
  // A GIF named .bmp goes through the OLE loader and comes out at its pixel size.
  portable::PixelSurface small = Pattern(12, 10);
  std::string gif = PictureFile("really_a_gif.bmp", GifBytes(small));
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(gif.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
  EXPECT_EQ(image.BitmapWidth(), 12);
  EXPECT_EQ(image.BitmapHeight(), 10);
  EXPECT_EQ(image.Loader().width, 12);
  EXPECT_EQ(image.Loader().height, 10);
  Canvas target(64, 64);
  EXPECT_NE(image.Draw(0, 0, 0, 0, 0, target.Dc()), 0);
  EXPECT_EQ(target.At(5, 7), small.At(5, 7));

  // The same bytes as a BMP named .gif load as BMP.
  std::string bmp = PictureFile("really_a_bmp.gif", BmpBytes(small, 24, true));
  ASSERT_EQ(image.Load(bmp.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
}

TEST_F(Win32ImageTest, PngIsRecognisedSizedAndNeverDrawn) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  std::string png = PictureFile("header.png", PngHeaderBytes(300, 70000));
  EXPECT_EQ(image.Load(png.c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Png);
  EXPECT_EQ(image.Loader().width, 300);
  EXPECT_EQ(image.Loader().height, 70000);
  EXPECT_EQ(image.Draw(0, 0, 0), 0);
}

TEST_F(Win32ImageTest, HostileAndTruncatedFilesFailQuietly) {
  ImageObject image(&surfaces_);
  std::vector<Bytes> hostile;
  hostile.push_back(Bytes{'B', 'M'});
  hostile.push_back(Bytes{'G', 'I', 'F'});
  hostile.push_back(Bytes{0xFF, 0xD8});
  hostile.push_back(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 3, 4, 5, 6, 7});
  Bytes huge = BmpBytes(Pattern(4, 4), 24, false);
  huge[18] = 0xA0, huge[19] = 0x86, huge[20] = 0x01;  // 100000 wide
  huge[22] = 0xA0, huge[23] = 0x86, huge[24] = 0x01;  // 100000 high
  hostile.push_back(huge);
  Bytes bigGif = GifBytes(Pattern(4, 4));
  bigGif[6] = 0xFF, bigGif[7] = 0xFF, bigGif[8] = 0xFF, bigGif[9] = 0xFF;  // 65535 x 65535 screen
  hostile.push_back(bigGif);
  Bytes cutGif = GifBytes(Pattern(8, 8));
  cutGif.resize(cutGif.size() / 2);
  hostile.push_back(cutGif);
  Bytes garbageGif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0xF7};
  for (int i = 0; i < 200; ++i) garbageGif.push_back(uint8_t(i * 97 + 13));
  hostile.push_back(garbageGif);

  for (size_t i = 0; i < hostile.size(); ++i) {
    std::string path = PictureFile("hostile" + std::to_string(i), hostile[i]);
    EXPECT_EQ(image.Load(path.c_str()), 0) << "file " << i;
    EXPECT_EQ(image.Draw(0, 0, 0), 0) << "file " << i;
  }
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
}

TEST_F(Win32ImageTest, CaptureReadsEveryPixelAsColourWords) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  image.WaitForCapture();
  EXPECT_EQ(image.CaptureReady(), 1);
  ASSERT_NE(image.Pixels(), nullptr);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(image.Pixels()[y * 24 + x], ColourWord(pattern_.At(x, y))) << x << "," << y;
  }
}

TEST_F(Win32ImageTest, DelayCannotChangeDuringAPassAndANegativeDelayStopsCaptures) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.SetCaptureDelay(20), 1);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);  // 32 rows: well over half a second
  EXPECT_EQ(image.SetCaptureDelay(-1), 0);
  EXPECT_EQ(image.CaptureReady(), 0);
  image.WaitForCapture();
  EXPECT_EQ(image.CaptureReady(), 1);
  EXPECT_EQ(image.SetCaptureDelay(-1), 1);

  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  EXPECT_EQ(image.Pixels(), nullptr) << "no pass after a negative delay";
  EXPECT_EQ(image.CaptureReady(), 0);
  EXPECT_EQ(image.SetCaptureDelay(0), 1);
}

TEST_F(Win32ImageTest, ReloadingOrDestroyingStopsARunningPass) {
  auto image = std::make_unique<ImageObject>(&surfaces_);
  // At this delay a full pass would take more than half a minute.
  ASSERT_EQ(image->SetCaptureDelay(1000), 1);
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);
  Sleep(50);
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);  // stops the first worker, starts another
  EXPECT_EQ(image->CaptureReady(), 0);
  image.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// An image object whose private heap is too small for any pixel buffer.
class StarvedImage : public ImageObject {
 public:
  explicit StarvedImage(WindowSurfaces* s) : ImageObject(s) {
    HeapDestroy(heap);
    heap = HeapCreate(0, 4096, 4096);
  }
};

TEST_F(Win32ImageTest, APassWithoutItsPixelBufferNeverReportsReady) {
  StarvedImage starved(&surfaces_);
  const std::string big = PictureFile("big.bmp", BmpBytes(Pattern(64, 64), 24, false));
  ASSERT_EQ(starved.Load(big.c_str()), 1);
  starved.WaitForCapture();
  EXPECT_EQ(starved.Pixels(), nullptr);
  EXPECT_EQ(starved.CaptureReady(), 0);
}

TEST(Win32HiMetric, ConvertsHundredthsOfAMillimetreToRoundedPixels) {
  EXPECT_EQ(HiMetricToPixels(2540, 96), 96);
  EXPECT_EQ(HiMetricToPixels(635, 96), 24);
  EXPECT_EQ(HiMetricToPixels(13, 96), 0);   // 0.49
  EXPECT_EQ(HiMetricToPixels(14, 96), 1);   // 0.53
  EXPECT_EQ(HiMetricToPixels(318, 120), 15);  // 15.02
  EXPECT_EQ(HiMetricToPixels(0, 96), 0);
}

}  // namespace
}  // namespace dfx::win32
