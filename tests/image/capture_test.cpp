#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "test_pictures.h"

namespace dfx {
namespace {

using portable::ImageObject;
using portable::PixelSurface;

// Real time; the limit only guards against a hang.
template <typename Pred>
bool WaitFor(Pred done) {
  for (int i = 0; i < 20000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

using CaptureTest = testing::SurfacesTest;

TEST_F(CaptureTest, PixelsHoldThePictureWithRedInTheLowByte) {
  PixelSurface picture = testing::Pattern(17, 9);
  picture.At(16, 8) = 0x123456;
  ImageObject image(&surfaces);
  EXPECT_EQ(image.CaptureReady(), 0);
  EXPECT_EQ(image.Pixels(), nullptr);
  ASSERT_EQ(image.Load(Write("capture.bmp", testing::BmpBytes(picture, 24, true)).c_str()), 1);
  ASSERT_TRUE(WaitFor([&] { return image.CaptureReady() == 1; }));
  const uint32_t* pixels = image.Pixels();
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels[17 * 9 - 1], 0x563412u);
  for (int32_t i = 0; i < 17 * 9; ++i) {
    const uint32_t rgb = picture.pixels[size_t(i)];
    ASSERT_EQ(pixels[i], (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16) << i;
  }
  // A missing or failed file keeps the last capture.
  EXPECT_EQ(image.Load(testing::TempPath("capture_missing.bmp").c_str()), 0);
  EXPECT_EQ(image.Load(Write("capture_junk.bin", {1, 2, 3}).c_str()), 0);
  EXPECT_EQ(image.CaptureReady(), 1);
  EXPECT_EQ(image.Pixels(), pixels);
  EXPECT_EQ(pixels[17 * 9 - 1], 0x563412u);
}

TEST_F(CaptureTest, DelayCannotChangeWhileAPassRuns) {
  ImageObject image(&surfaces);
  ASSERT_EQ(image.SetCaptureDelay(20), 1);
  ASSERT_EQ(image.Load(WriteBmp("slow.bmp", PixelSurface(4, 32, 0x808080)).c_str()), 1);
  EXPECT_EQ(image.SetCaptureDelay(-1), 0);  // 32 rows of 20 ms: still running
  EXPECT_EQ(image.CaptureReady(), 0);
  ASSERT_TRUE(WaitFor([&] { return !image.CaptureRunning(); }));
  EXPECT_EQ(image.CaptureReady(), 1);
  EXPECT_EQ(image.SetCaptureDelay(-1), 1);
  // A negative delay starts no pass.
  ASSERT_EQ(image.Load(WriteBmp("slow2.bmp", PixelSurface(3, 3, 0x010101)).c_str()), 1);
  EXPECT_FALSE(image.CaptureRunning());
  EXPECT_EQ(image.CaptureReady(), 0);
  EXPECT_EQ(image.Pixels(), nullptr);
}

TEST_F(CaptureTest, ReloadAndDestructionStopRunningPasses) {
  const std::string slow = WriteBmp("stop.bmp", PixelSurface(8, 64, 0x00FF00));
  auto image = std::make_unique<ImageObject>(&surfaces);
  image->BindToWindow();
  ASSERT_EQ(image->SetCaptureDelay(1000), 1);
  ASSERT_EQ(image->Load(slow.c_str()), 1);
  ASSERT_TRUE(image->CaptureRunning());
  EXPECT_NE(image->Draw(0, 0, 0), 0);  // the worker reads its own copy
  EXPECT_EQ(window.surface.At(7, 15), 0x00FF00u);
  ASSERT_EQ(image->Load(slow.c_str()), 1);
  EXPECT_EQ(image->CaptureReady(), 0);
  image.reset();  // sanitizers check nothing is left behind

  // Many objects capturing side by side.
  const std::string path = WriteBmp("many.bmp", PixelSurface(24, 32, 0x0000FF));
  std::vector<std::unique_ptr<ImageObject>> images(40);
  for (auto& each : images) ASSERT_EQ((each = std::make_unique<ImageObject>(&surfaces))->Load(path.c_str()), 1);
  for (auto& each : images) {
    ASSERT_TRUE(WaitFor([&] { return each->CaptureReady() == 1; }));
    EXPECT_EQ(each->Pixels()[24 * 32 - 1], 0xFF0000u);
  }
}

// The worker may be about to report its pass when the picture is released; the flag
// must read 0 afterwards all the same. The spin moves the release across the pass.
TEST_F(CaptureTest, ReleaseLeavesTheReadyFlagClearWhereverThePassIs) {
  PixelSurface tiny(1, 1, 0x123456);
  ImageObject image(&surfaces);
  int setAfterRelease = 0;
  for (int i = 0; i < 8000; ++i) {
    image.AttachBitmap(&tiny);
    for (volatile int spin = 0; spin < i % 512;) spin = spin + 1;
    image.ReleasePicture();
    setAfterRelease += image.CaptureReady();
  }
  EXPECT_EQ(setAfterRelease, 0);
}

}  // namespace
}  // namespace dfx
