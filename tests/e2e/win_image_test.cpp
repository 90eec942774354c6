// GDI image objects: loading by first bytes, the load-failure rules, stretched drawing
// into a device context and the back buffer, and the capture worker.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "image/win32/image_object.h"
#include "test_pictures.h"

namespace dfx::win32 {
namespace {

using namespace dfx::testing;
constexpr uint32_t Fill = 0x123456;

// A memory device context over a 32-bit DIB, filled with one colour, read directly.
class Canvas {
 public:
  explicit Canvas(int32_t w, uint32_t fill = Fill) : width_(w) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, w, -w, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + w * w, fill);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  uint32_t At(int32_t x, int32_t y) const {  // 0x00RRGGBB, as the pattern is written
    GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }

 private:
  int32_t width_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  uint32_t* bits_ = nullptr;
};

class Win32ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    surfaces_.window.store(window_);
    surfaces_.backBufferDc.store(back_.Dc());
  }
  void TearDown() override { DestroyWindow(window_); }
  static std::string File(const std::string& name, const Bytes& bytes) {
    std::string path = TempPath("win_" + name);
    WriteFileBytes(path, bytes);
    return path;
  }

  HWND window_ = nullptr;
  Canvas back_{128, 0};
  WindowSurfaces surfaces_;
  const portable::PixelSurface pattern_ = Pattern(24, 32);
  const std::string bmp_ = File("pattern.bmp", BmpBytes(pattern_, 24, false));
};

TEST_F(Win32ImageTest, DrawsStretchedByNearestPixelIntoTheGivenContextOrTheBoundBackBuffer) {
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  image.Draw(8, 8, 0);
  EXPECT_EQ(back_.At(8 + 5, 8 + 7), 0u) << "an unbound object has no back buffer";
  image.BindToWindow();
  // Asked size -> drawn size: missing sides follow the aspect ratio, negative ones too.
  const struct { int32_t w, h, drawnW, drawnH; } sizes[] = {{0, 0, 24, 32}, {48, 0, 48, 64}, {0, 16, 12, 16}, {-5, -5, 24, 32}};
  for (const auto& s : sizes) {
    Canvas target(128);
    EXPECT_NE(image.Draw(8, 8, s.w, s.h, 0, target.Dc()), 0);
    for (int32_t y = 0; y < s.drawnH && s.drawnW >= 24; y += 3) {  // shrinking drops pixels GDI's way
      for (int32_t x = 0; x < s.drawnW; x += 5) {
        ASSERT_EQ(target.At(8 + x, 8 + y), pattern_.At(x * 24 / s.drawnW, y * 32 / s.drawnH)) << s.w << "x" << s.h;
      }
    }
    EXPECT_EQ(target.At(8 + s.drawnW, 8), Fill);
    EXPECT_EQ(target.At(8, 8 + s.drawnH), Fill);
  }
  EXPECT_EQ(back_.At(8 + 5, 8 + 7), 0u) << "an explicit context keeps the back buffer out";
  image.Draw(8, 8, 0);
  EXPECT_EQ(back_.At(8 + 23, 8 + 31), pattern_.At(23, 31));
  EXPECT_EQ(back_.At(8 + 24, 8 + 32), 0u);

  Canvas target(64, 0x0F0F0F);
  image.Draw(0, 0, 0, 0, RopSrcInvert, target.Dc());
  EXPECT_EQ(target.At(3, 5), pattern_.At(3, 5) ^ 0x0F0F0F);
  image.Draw(0, 0, 0, 0, RopBlackness, target.Dc());
  EXPECT_EQ(target.At(3, 5), 0u);

  surfaces_.backBufferDc.store(nullptr);  // the window has deleted its back buffer
  image.Draw(50, 50, 0);
  EXPECT_EQ(back_.At(50 + 5, 50 + 7), 0u);
  ImageObject empty(&surfaces_);
  EXPECT_EQ(empty.Draw(0, 0, 0, 0, 0, target.Dc()), 0);
}

TEST_F(Win32ImageTest, KindComesFromTheFirstBytesAndFailuresKeepOrEmptyThePicture) {
  const portable::PixelSurface small = Pattern(12, 10);
  Bytes huge = BmpBytes(Pattern(4, 4), 24, false);
  huge[18] = huge[22] = 0xA0, huge[19] = huge[23] = 0x86, huge[20] = huge[24] = 0x01;  // 100000 x 100000
  Bytes bigGif = GifBytes(Pattern(4, 4));
  std::fill(bigGif.begin() + 6, bigGif.begin() + 10, 0xFF);  // 65535 x 65535 screen
  Bytes cutGif = GifBytes(Pattern(8, 8));
  cutGif.resize(cutGif.size() / 2);
  Bytes garbageGif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0xF7};
  for (int i = 0; i < 200; ++i) garbageGif.push_back(uint8_t(i * 97 + 13));
  // Each file is loaded over the 24x32 pattern; a missing file keeps it, a bad one empties it.
  const struct { const char* name; Bytes bytes; int32_t loaded; PictureKind kind; int32_t w, h; } files[] = {
      {"really_a_gif.bmp", GifBytes(small), 1, PictureKind::Gif, 12, 10},
      {"really_a_bmp.gif", BmpBytes(small, 24, false), 1, PictureKind::Bmp, 12, 10},
      {"header.png", PngHeaderBytes(300, 70000), 0, PictureKind::Png, 0, 0},
      {"text.bmp", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, 0, PictureKind::None, 0, 0},
      {nullptr, {}, 0, PictureKind::Bmp, 24, 32},
      {"bm", Bytes{'B', 'M'}, 0, PictureKind::Bmp, 0, 0},
      {"gif", Bytes{'G', 'I', 'F'}, 0, PictureKind::Gif, 0, 0},
      {"jfif", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 3, 4, 5}, 0, PictureKind::Jpeg, 0, 0},
      {"huge.bmp", huge, 0, PictureKind::Bmp, 0, 0},
      {"big.gif", bigGif, 0, PictureKind::Gif, 0, 0},
      {"cut.gif", cutGif, 0, PictureKind::Gif, 0, 0},
      {"garbage.gif", garbageGif, 0, PictureKind::Gif, 0, 0},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name ? f.name : "missing");
    ImageObject image(&surfaces_);
    ASSERT_EQ(image.Load(bmp_.c_str()), 1);
    EXPECT_EQ(image.Load(f.name ? File(f.name, f.bytes).c_str() : TempPath("win_no_such_file").c_str()), f.loaded);
    EXPECT_EQ(image.Loader().kind, f.kind);
    EXPECT_EQ(image.BitmapWidth(), f.w);
    EXPECT_EQ(image.BitmapHeight(), f.h);
    Canvas target(64);
    EXPECT_EQ(image.Draw(0, 0, 0, 0, 0, target.Dc()) != 0, f.w != 0);
    if (f.w) {
      EXPECT_EQ(target.At(5, 7), (f.w == 12 ? small : pattern_).At(5, 7));
    }
  }
  ImageObject image(&surfaces_);
  ASSERT_EQ(image.Load(File("header.png", PngHeaderBytes(300, 70000)).c_str()), 0);
  EXPECT_EQ(image.Loader().width, 300);  // a PNG is measured, never drawn
  EXPECT_EQ(image.Loader().height, 70000);
  // A file another opener holds without sharing writes is not openable: the old picture stays.
  ASSERT_EQ(image.Load(bmp_.c_str()), 1);
  HANDLE held = CreateFileA(bmp_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(image.Load(bmp_.c_str()), 0);
  CloseHandle(held);
  EXPECT_EQ(image.BitmapWidth(), 24);
}

// An image object whose private heap is too small for any pixel buffer.
class StarvedImage : public ImageObject {
 public:
  explicit StarvedImage(WindowSurfaces* s) : ImageObject(s) {
    HeapDestroy(heap);
    heap = HeapCreate(0, 4096, 4096);
  }
};

TEST_F(Win32ImageTest, CaptureReadsColourWordsAndStopsOnNegativeDelayReloadOrDestruction) {
  auto image = std::make_unique<ImageObject>(&surfaces_);
  ASSERT_EQ(image->SetCaptureDelay(20), 1);
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);  // 32 rows: well over half a second
  EXPECT_EQ(image->SetCaptureDelay(-1), 0) << "the delay cannot change during a pass";
  EXPECT_EQ(image->CaptureReady(), 0);
  image->WaitForCapture();
  ASSERT_EQ(image->CaptureReady(), 1);
  for (int32_t i = 0; i < 24 * 32; ++i) {
    const uint32_t rgb = pattern_.At(i % 24, i / 24);  // GDI colour words are 0x00BBGGRR
    ASSERT_EQ(image->Pixels()[i], (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF)) << i;
  }
  EXPECT_EQ(image->SetCaptureDelay(-1), 1);
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);
  EXPECT_EQ(image->Pixels(), nullptr) << "no pass after a negative delay";

  // At this delay a full pass would take more than half a minute.
  ASSERT_EQ(image->SetCaptureDelay(1000), 1);
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);
  Sleep(50);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(image->Load(bmp_.c_str()), 1);  // stops the first worker, starts another
  EXPECT_EQ(image->CaptureReady(), 0);
  image.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

  StarvedImage starved(&surfaces_);
  ASSERT_EQ(starved.Load(File("big.bmp", BmpBytes(Pattern(64, 64), 24, false)).c_str()), 1);
  starved.WaitForCapture();
  EXPECT_EQ(starved.Pixels(), nullptr);
  EXPECT_EQ(starved.CaptureReady(), 0) << "a pass without its pixel buffer never reports ready";
}

TEST(Win32HiMetric, ConvertsHundredthsOfAMillimetreToRoundedPixels) {
  const int32_t cases[][3] = {{2540, 96, 96}, {635, 96, 24}, {13, 96, 0}, {14, 96, 1}, {318, 120, 15}, {0, 96, 0}};
  for (const auto& c : cases) EXPECT_EQ(HiMetricToPixels(c[0], c[1]), c[2]) << c[0] << " at " << c[1];
}

}  // namespace
}  // namespace dfx::win32
