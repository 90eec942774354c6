#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "image/portable/image_object.h"
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
      {0, 0, 24, 32, 24, 32},    {48, 0, 24, 32, 48, 64},  {0, 16, 24, 32, 12, 16},
      {1, 0, 32, 24, 1, 0},      {-7, -1, 24, 32, 24, 32}, {-1, 16, 24, 32, 12, 16},
      {48, -5, 24, 32, 48, 64},  {30, 7, 24, 32, 30, 7},   {5, 0, 3, 7, 5, 11},
      {0, 5, 0, 0, 0, 5},        {5, 0, 0, 0, 5, 0},
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    ResolveDrawSize(w, h, c.bw, c.bh);
    EXPECT_EQ(w, c.wantW) << c.w << "," << c.h << " of " << c.bw << "x" << c.bh;
    EXPECT_EQ(h, c.wantH) << c.w << "," << c.h << " of " << c.bw << "x" << c.bh;
  }
}

// A window and back buffer, and image objects loaded from pictures written to disk.
class DrawTest : public ::testing::Test {
 protected:
  DrawTest() : window(64, 48, 0), back(100, 80, 0) {
    surfaces.window = &window;
    surfaces.backBuffer = &back;
  }

  std::unique_ptr<ImageObject> Loaded(const PixelSurface& picture, const char* name, bool bind = true) {
    const std::string path = testing::TempPath(name);
    testing::WriteFileBytes(path, testing::BmpBytes(picture, 24, false));
    auto image = std::make_unique<ImageObject>(&surfaces);
    EXPECT_EQ(image->Load(path.c_str()), 1);
    std::remove(path.c_str());
    if (bind) image->BindToWindow();
    return image;
  }

  static int CountNonBlack(const PixelSurface& s) {
    int n = 0;
    for (uint32_t p : s.pixels) n += p != 0;
    return n;
  }

  DrawTarget window;
  DrawTarget back;
  portable::WindowSurfaces surfaces;
};

TEST_F(DrawTest, FormOneCopiesThePictureAtItsOwnSizeIntoBoth) {
  const PixelSurface picture = testing::Pattern(24, 32);
  auto image = Loaded(picture, "draw_form1.bmp");
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  for (const DrawTarget* t : {&window, &back}) {
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(t->surface.At(8 + x, 8 + y), picture.At(x, y)) << x << "," << y;
    }
    EXPECT_EQ(t->surface.At(7, 8), 0u);
    EXPECT_EQ(t->surface.At(32, 8), 0u);
    EXPECT_EQ(t->surface.At(8, 40), 0u);
  }
  EXPECT_TRUE(window.dirty.load());
  EXPECT_TRUE(back.dirty.load());
}

TEST_F(DrawTest, StretchesByNearestPixel) {
  PixelSurface picture(2, 2);
  picture.At(0, 0) = 0x100000;
  picture.At(1, 0) = 0x200000;
  picture.At(0, 1) = 0x300000;
  picture.At(1, 1) = 0x400000;
  auto image = Loaded(picture, "draw_stretch.bmp");
  EXPECT_NE(image->Draw(0, 0, 4, 0, 0), 0);  // 4 wide, height derived: 4
  EXPECT_EQ(window.surface.At(1, 1), 0x100000u);
  EXPECT_EQ(window.surface.At(2, 1), 0x200000u);
  EXPECT_EQ(window.surface.At(1, 3), 0x300000u);
  EXPECT_EQ(window.surface.At(3, 3), 0x400000u);
  EXPECT_EQ(window.surface.At(4, 0), 0u);
  EXPECT_EQ(window.surface.At(0, 4), 0u);
  // Shrinking keeps one pixel of each pair.
  EXPECT_NE(image->Draw(10, 10, 1, 1, 0), 0);
  EXPECT_EQ(window.surface.At(10, 10), 0x100000u);
  EXPECT_EQ(window.surface.At(11, 10), 0u);
}

TEST_F(DrawTest, ExplicitTargetLeavesWindowAndBackBufferAlone) {
  auto image = Loaded(testing::Pattern(24, 32), "draw_explicit.bmp");
  DrawTarget other(30, 40, 0);
  EXPECT_NE(image->Draw(0, 0, 0, 0, 0, &other), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 0);
  EXPECT_EQ(CountNonBlack(back.surface), 0);
  EXPECT_FALSE(back.dirty.load());
  EXPECT_GT(CountNonBlack(other.surface), 0);
}

TEST_F(DrawTest, EmptyAndUnboundObjectsDrawNothing) {
  ImageObject empty(&surfaces);
  empty.BindToWindow();
  DrawTarget other(8, 8, 0);
  EXPECT_EQ(empty.Draw(0, 0, 0), 0);
  EXPECT_EQ(empty.Draw(0, 0, 10, 10, 0), 0);
  EXPECT_EQ(empty.Draw(0, 0, 10, 10, 0, &other), 0);
  EXPECT_EQ(empty.BitmapWidth(), 0);
  EXPECT_EQ(empty.BitmapHeight(), 0);

  auto unbound = Loaded(testing::Pattern(4, 4), "draw_unbound.bmp", false);
  EXPECT_EQ(unbound->Draw(0, 0, 0), 0);
  EXPECT_NE(unbound->Draw(0, 0, 0, 0, 0, &other), 0);  // an explicit target still works
  EXPECT_EQ(CountNonBlack(window.surface) + CountNonBlack(back.surface), 0);
  EXPECT_FALSE(window.dirty.load());
}

TEST_F(DrawTest, ZeroHeightFromRatioDrawsNothingVisible) {
  auto image = Loaded(testing::Pattern(32, 24), "draw_zero.bmp");
  image->Draw(5, 5, 1, 0, 0);
  EXPECT_EQ(CountNonBlack(window.surface), 0);
  EXPECT_EQ(CountNonBlack(back.surface), 0);
}

TEST_F(DrawTest, ClipsAtEveryEdgeWithoutWrapping) {
  PixelSurface white(10, 10, 0xFFFFFF);
  auto image = Loaded(white, "draw_clip.bmp");
  EXPECT_NE(image->Draw(-5, -5, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 25);
  EXPECT_NE(image->Draw(60, 45, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 25 + 4 * 3);
  EXPECT_NE(image->Draw(INT_MAX - 3, INT_MAX - 3, 0), 0);
  EXPECT_NE(image->Draw(INT_MIN, 0, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 25 + 12);
  // A huge destination is clipped, not iterated: it covers every pixel.
  EXPECT_NE(image->Draw(INT_MIN / 2, INT_MIN / 2, INT_MAX, INT_MAX, 0), 0);
  EXPECT_EQ(CountNonBlack(window.surface), 64 * 48);
  EXPECT_EQ(CountNonBlack(back.surface), 100 * 80);
}

TEST(RasterOperations, CombineSourceAndDestinationPerPixel) {
  const uint32_t s = 0x00F0CC0F;
  const uint32_t d = 0x00AA55FF;
  EXPECT_EQ(portable::ApplyRop(RopSrcCopy, s, d), s);
  EXPECT_EQ(portable::ApplyRop(RopSrcPaint, s, d), 0x00FADDFFu);
  EXPECT_EQ(portable::ApplyRop(RopSrcAnd, s, d), 0x00A0440Fu);
  EXPECT_EQ(portable::ApplyRop(RopSrcInvert, s, d), 0x005A99F0u);
  EXPECT_EQ(portable::ApplyRop(RopNotSrcCopy, s, d), 0x000F33F0u);
  EXPECT_EQ(portable::ApplyRop(RopBlackness, s, d), 0u);
  EXPECT_EQ(portable::ApplyRop(RopWhiteness, s, d), 0x00FFFFFFu);
  // Codes without a direct path are computed from their truth tables.
  EXPECT_EQ(portable::ApplyRop(0x00550009, s, d), 0x0055AA00u);  // invert destination
  EXPECT_EQ(portable::ApplyRop(0x00440328, s, d), 0x00508800u);  // source and not destination
  EXPECT_EQ(portable::ApplyRop(0x00BB0226, s, d), 0x00AF77FFu);  // not source or destination
  EXPECT_EQ(portable::ApplyRop(0x001100A6, s, d), 0x00052200u);  // not (source or destination)
  EXPECT_EQ(portable::ApplyRop(0x00AA0029, s, d), d);            // destination unchanged
  EXPECT_EQ(portable::ApplyRop(0x00F00021, s, d), 0x00FFFFFFu);  // the white pattern
}

TEST_F(DrawTest, RasterOperationReachesBothTargets) {
  PixelSurface picture(1, 1, 0x0F0F0F);
  auto image = Loaded(picture, "draw_rop.bmp");
  {
    std::lock_guard<std::mutex> g1(window.mutex);
    std::lock_guard<std::mutex> g2(back.mutex);
    window.surface.At(3, 3) = 0xF000F0;
    back.surface.At(3, 3) = 0x00F000;
  }
  EXPECT_NE(image->Draw(3, 3, RopSrcPaint), 0);
  EXPECT_EQ(window.surface.At(3, 3), 0xFF0FFFu);
  EXPECT_EQ(back.surface.At(3, 3), 0x0FFF0Fu);
}

}  // namespace
}  // namespace dfx
