#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "image/portable/image_object.h"
#include "test_pictures.h"

namespace dfx {
namespace {

using portable::ImageObject;
using portable::PixelSurface;

// Waits for a worker on real time; a generous limit only guards against a hang.
template <typename Pred>
bool WaitFor(Pred done) {
  for (int i = 0; i < 20000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class CaptureTest : public ::testing::Test {
 protected:
  CaptureTest() : window(16, 16), back(16, 16) {
    surfaces.window = &window;
    surfaces.backBuffer = &back;
  }
  std::string Write(const char* name, const PixelSurface& picture) {
    std::string path = testing::TempPath(name);
    testing::WriteFileBytes(path, testing::BmpBytes(picture, 24, true));
    paths.push_back(path);
    return path;
  }
  ~CaptureTest() override {
    for (const auto& p : paths) std::remove(p.c_str());
  }

  portable::DrawTarget window;
  portable::DrawTarget back;
  portable::WindowSurfaces surfaces;
  std::vector<std::string> paths;
};

TEST_F(CaptureTest, PixelsHoldThePictureWithRedInTheLowByte) {
  const PixelSurface picture = testing::Pattern(17, 9);
  ImageObject image(&surfaces);
  EXPECT_EQ(image.CaptureReady(), 0);
  EXPECT_EQ(image.Pixels(), nullptr);
  ASSERT_EQ(image.Load(Write("capture.bmp", picture).c_str()), 1);
  ASSERT_TRUE(WaitFor([&] { return image.CaptureReady() == 1; }));
  const uint32_t* pixels = image.Pixels();
  ASSERT_NE(pixels, nullptr);
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 17; ++x) {
      const uint32_t rgb = picture.At(x, y);
      const uint32_t bgr = (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16;
      ASSERT_EQ(pixels[y * 17 + x], bgr) << x << "," << y;
    }
  }
  // A missing file changes nothing; a failed file keeps the last capture too.
  EXPECT_EQ(image.Load(testing::TempPath("capture_missing.bmp").c_str()), 0);
  EXPECT_EQ(image.CaptureReady(), 1);
  const std::string junk = testing::TempPath("capture_junk.bin");
  paths.push_back(junk);
  testing::WriteFileBytes(junk, {1, 2, 3});
  EXPECT_EQ(image.Load(junk.c_str()), 0);
  EXPECT_EQ(image.Pixels(), pixels);
  EXPECT_EQ(pixels[0], 0u);  // Pattern's top-left is black: still readable
}

TEST_F(CaptureTest, DelayCannotChangeWhileAPassRuns) {
  ImageObject image(&surfaces);
  ASSERT_EQ(image.SetCaptureDelay(20), 1);
  ASSERT_EQ(image.Load(Write("slow.bmp", PixelSurface(4, 32, 0x808080)).c_str()), 1);
  EXPECT_EQ(image.SetCaptureDelay(-1), 0);  // 32 rows of 20 ms: still running
  EXPECT_EQ(image.CaptureReady(), 0);
  ASSERT_TRUE(WaitFor([&] { return !image.CaptureRunning(); }));
  EXPECT_EQ(image.CaptureReady(), 1);
  EXPECT_EQ(image.SetCaptureDelay(-1), 1);

  // With a negative delay a load starts no pass: nothing captured, nothing ready.
  ASSERT_EQ(image.Load(Write("slow2.bmp", PixelSurface(3, 3, 0x010101)).c_str()), 1);
  EXPECT_FALSE(image.CaptureRunning());
  EXPECT_EQ(image.CaptureReady(), 0);
  EXPECT_EQ(image.Pixels(), nullptr);
  EXPECT_EQ(image.SetCaptureDelay(0), 1);
}

TEST_F(CaptureTest, ReloadAndDestructionStopARunningPass) {
  const std::string slow = Write("stop.bmp", PixelSurface(8, 64, 0x00FF00));
  auto image = std::make_unique<ImageObject>(&surfaces);
  image->BindToWindow();
  ASSERT_EQ(image->SetCaptureDelay(1000), 1);
  ASSERT_EQ(image->Load(slow.c_str()), 1);
  ASSERT_TRUE(image->CaptureRunning());
  // Drawing uses the bitmap while the worker reads its own copy.
  EXPECT_NE(image->Draw(0, 0, 0), 0);
  EXPECT_EQ(window.surface.At(7, 15), 0x00FF00u);
  // A reload stops the old pass at once and starts a new one.
  ASSERT_EQ(image->Load(slow.c_str()), 1);
  EXPECT_EQ(image->CaptureReady(), 0);
  image.reset();  // stops the second pass; sanitizers check nothing is left behind
}

TEST_F(CaptureTest, ManyObjectsCaptureSideBySide) {
  const PixelSurface picture = testing::Pattern(24, 32);
  const std::string path = Write("many.bmp", picture);
  std::vector<std::unique_ptr<ImageObject>> images;
  for (int i = 0; i < 40; ++i) {
    images.push_back(std::make_unique<ImageObject>(&surfaces));
    ASSERT_EQ(images.back()->Load(path.c_str()), 1);
    images.back()->BindToWindow();
    images.back()->Draw(0, 0, 0);
  }
  for (auto& image : images) {
    ASSERT_TRUE(WaitFor([&] { return image->CaptureReady() == 1; }));
    EXPECT_EQ(image->Pixels()[24 * 32 - 1], (picture.pixels.back() & 0xFF) << 16 | (picture.pixels.back() & 0xFF00) |
                                                 picture.pixels.back() >> 16);
  }
}

}  // namespace
}  // namespace dfx
