#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

#include "test_pictures.h"

namespace dfx {
namespace {

using portable::DrawTarget;
using portable::ImageObject;
using portable::PixelSurface;

TEST(ResolveDrawSize, DerivesMissingSidesByTruncatedRatio) {
  struct Case {
    int32_t w, h, bw, bh, wantW, wantH;
  };
  const Case cases[] = {
      {0, 0, 24, 32, 24, 32}, {48, 0, 24, 32, 48, 64},  {0, 16, 24, 32, 12, 16}, {1, 0, 32, 24, 1, 0},
      {-7, -1, 24, 32, 24, 32}, {-1, 16, 24, 32, 12, 16}, {48, -5, 24, 32, 48, 64}, {30, 7, 24, 32, 30, 7},
      {5, 0, 3, 7, 5, 11},    {0, 5, 0, 0, 0, 5},       {5, 0, 0, 0, 5, 0},
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    ResolveDrawSize(w, h, c.bw, c.bh);
    EXPECT_EQ(std::pair(w, h), std::pair(c.wantW, c.wantH)) << c.w << "," << c.h << " of " << c.bw << "x" << c.bh;
  }
}

class DrawTest : public testing::SurfacesTest {
 protected:
  std::unique_ptr<ImageObject> Loaded(const PixelSurface& picture, bool bind = true) {
    auto image = std::make_unique<ImageObject>(&surfaces);
    EXPECT_EQ(image->Load(WriteBmp("draw.bmp", picture).c_str()), 1);
    if (bind) image->BindToWindow();
    return image;
  }
};

TEST_F(DrawTest, CopiesAndStretchesByNearestPixelIntoWindowAndBackBuffer) {
  const PixelSurface picture = testing::Pattern(24, 32);
  auto image = Loaded(picture);
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  for (const DrawTarget* t : {&window, &back}) {
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(t->surface.At(8 + x, 8 + y), picture.At(x, y)) << x << "," << y;
    }
    EXPECT_EQ(CountNonBlack(t->surface), 24 * 32 - 1);  // the pattern's top-left is black
    EXPECT_TRUE(t->dirty.load());
  }
  PixelSurface quad(2, 2);
  quad.pixels = {0x100000, 0x200000, 0x300000, 0x400000};
  image = Loaded(quad);
  EXPECT_NE(image->Draw(40, 0, 4, 0, 0), 0);  // height derived: 4
  EXPECT_NE(image->Draw(50, 10, 1, 1, 0), 0);  // shrinking keeps one pixel of each pair
  for (auto [x, y, want] : {std::tuple{41, 1, 0x100000u}, {42, 1, 0x200000u}, {41, 3, 0x300000u}, {43, 3, 0x400000u},
                            {44, 0, 0u}, {40, 4, 0u}, {50, 10, 0x100000u}, {51, 10, 0u}}) {
    EXPECT_EQ(window.surface.At(x, y), want) << x << "," << y;
  }
}

TEST_F(DrawTest, ExplicitTargetEmptyUnboundAndZeroSizedDraws) {
  DrawTarget other(30, 40, 0);
  auto image = Loaded(testing::Pattern(32, 24));
  EXPECT_NE(image->Draw(0, 0, 0, 0, 0, &other), 0);
  EXPECT_GT(CountNonBlack(other.surface), 0);
  EXPECT_FALSE(window.dirty.load() || back.dirty.load());
  image->Draw(5, 5, 1, 0, 0);  // 32x24 at width 1: height 0
  EXPECT_EQ(CountNonBlack(window.surface) + CountNonBlack(back.surface), 0);

  ImageObject empty(&surfaces);
  empty.BindToWindow();
  EXPECT_EQ(empty.Draw(0, 0, 0), 0);
  EXPECT_EQ(empty.Draw(0, 0, 10, 10, 0, &other), 0);
  EXPECT_EQ(empty.BitmapWidth() + empty.BitmapHeight(), 0);
  auto unbound = Loaded(PixelSurface(4, 4, 0xFFFFFF), false);
  EXPECT_EQ(unbound->Draw(0, 0, 0), 0);
  EXPECT_NE(unbound->Draw(0, 0, 0, 0, 0, &other), 0);
  EXPECT_EQ(other.surface.At(3, 3), 0xFFFFFFu);
  EXPECT_EQ(CountNonBlack(window.surface) + CountNonBlack(back.surface), 0);
}

TEST_F(DrawTest, ClipsAtEveryEdgeWithoutWrapping) {
  auto image = Loaded(PixelSurface(10, 10, 0xFFFFFF));
  EXPECT_NE(image->Draw(-5, -5, 0), 0);
  EXPECT_NE(image->Draw(60, 45, 0), 0);
  EXPECT_NE(image->Draw(INT_MAX - 3, INT_MAX - 3, 0), 0);
  EXPECT_NE(image->Draw(INT_MIN, 0, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 25 + 4 * 3);
  // A huge destination is clipped, not iterated.
  EXPECT_NE(image->Draw(INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 64 * 48);
  EXPECT_EQ(CountNonBlack(back.surface), 100 * 80);
}

TEST_F(DrawTest, RasterOperationsCombineSourceAndDestinationPerPixel) {
  const uint32_t s = 0x00F0CC0F, d = 0x00AA55FF;
  const std::pair<uint32_t, uint32_t> cases[] = {
      {RopSrcCopy, s},           {RopSrcPaint, 0x00FADDFF},  {RopSrcAnd, 0x00A0440F},  {RopSrcInvert, 0x005A99F0},
      {RopNotSrcCopy, 0x000F33F0}, {RopBlackness, 0},        {RopWhiteness, 0x00FFFFFF},
      // No direct path: computed from the truth table.
      {0x00550009, 0x0055AA00},  {0x00440328, 0x00508800},  {0x00BB0226, 0x00AF77FF}, {0x001100A6, 0x00052200},
      {0x00AA0029, d},           {0x00F00021, 0x00FFFFFF},
  };
  for (auto [rop, want] : cases) EXPECT_EQ(portable::ApplyRop(rop, s, d), want) << std::hex << rop;

  auto image = Loaded(PixelSurface(1, 1, 0x0F0F0F));
  window.surface.At(3, 3) = 0xF000F0;
  back.surface.At(3, 3) = 0x00F000;
  EXPECT_NE(image->Draw(3, 3, RopSrcPaint), 0);
  EXPECT_EQ(window.surface.At(3, 3), 0xFF0FFFu);
  EXPECT_EQ(back.surface.At(3, 3), 0x0FFF0Fu);
}

// A paint copies the back buffer to the window, back buffer lock first as the hosts
// do; one that falls between a draw's two writes must not leave the old picture.
TEST_F(DrawTest, APaintDuringADrawNeverLeavesTheOldPictureOnScreen) {
  const uint32_t colours[2] = {0xFF0000, 0x0000FF};
  std::unique_ptr<ImageObject> images[2] = {Loaded(PixelSurface(64, 48, colours[0])),
                                            Loaded(PixelSurface(64, 48, colours[1]))};
  std::atomic<bool> done{false};
  std::thread painter([&] {
    while (!done.load()) {
      std::lock_guard<std::mutex> backGuard(back.mutex);
      std::lock_guard<std::mutex> windowGuard(window.mutex);
      for (int32_t y = 0; y < window.surface.height; ++y) {
        for (int32_t x = 0; x < window.surface.width; ++x) window.surface.At(x, y) = back.surface.At(x, y);
      }
    }
  });
  int stale = 0;
  for (int i = 0; i < 4000; ++i) {
    images[i % 2]->Draw(0, 0, 0);
    std::lock_guard<std::mutex> guard(window.mutex);
    stale += window.surface.At(5, 5) != colours[i % 2];
  }
  done.store(true);
  painter.join();
  EXPECT_EQ(stale, 0);
}

}  // namespace
}  // namespace dfx
