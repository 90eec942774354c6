#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "test_pictures.h"

namespace dfx {
namespace {

using portable::DrawTarget;
using portable::ImageObject;
using portable::PixelSurface;
using testing::Bytes;

PictureKind KindOf(const Bytes& bytes) {
  uint8_t first[8] = {};
  for (size_t i = 0; i < 8 && i < bytes.size(); ++i) first[i] = bytes[i];
  return DetectKind(first);
}

TEST(DetectKind, ReadsTheFirstBytesOnly) {
  EXPECT_EQ(KindOf({0x42, 0x4D}), PictureKind::Bmp);
  EXPECT_EQ(KindOf({'G', 'I', 'F'}), PictureKind::Gif);
  EXPECT_EQ(KindOf({'G', 'I'}), PictureKind::None);
  EXPECT_EQ(KindOf({0xFF, 0xD8}), PictureKind::Jpeg);
  EXPECT_EQ(KindOf({0xFF}), PictureKind::None);
  EXPECT_EQ(KindOf({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}), PictureKind::None);  // the eighth byte counts as 0
  EXPECT_EQ(KindOf(testing::PngHeaderBytes(1, 1)), PictureKind::Png);
  EXPECT_EQ(KindOf({}), PictureKind::None);
  EXPECT_EQ(KindOf({'B', 'm'}), PictureKind::None);
}

class LoaderTest : public ::testing::Test {
 protected:
  LoaderTest() : window(64, 64, 0), back(64, 64, 0) {
    surfaces.window = &window;
    surfaces.backBuffer = &back;
  }

  std::string Write(const std::string& name, const Bytes& bytes) {
    std::string path = testing::TempPath(name);
    testing::WriteFileBytes(path, bytes);
    paths.push_back(path);
    return path;
  }
  ~LoaderTest() override {
    for (const auto& p : paths) std::remove(p.c_str());
  }

  DrawTarget window;
  DrawTarget back;
  portable::WindowSurfaces surfaces;
  std::vector<std::string> paths;
};

TEST_F(LoaderTest, EveryBmpLayoutDecodesToTheSameColours) {
  // Few enough colours for a 1-bit palette, more for the wider layouts.
  PixelSurface two(13, 5);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 13; ++x) two.At(x, y) = (x + y) % 3 == 0 ? 0x123456 : 0xFEDCBA;
  }
  PixelSurface sixteen(7, 9);
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 7; ++x) sixteen.At(x, y) = uint32_t((x * 3 + y) % 16) * 0x0F0F0F;
  }
  const PixelSurface many = testing::Pattern(11, 6);
  struct Case {
    const PixelSurface* picture;
    int bpp;
  };
  for (const Case& c : {Case{&two, 1}, Case{&sixteen, 4}, Case{&sixteen, 8}, Case{&many, 24}, Case{&many, 32}}) {
    for (bool topDown : {false, true}) {
      const Bytes bytes = testing::BmpBytes(*c.picture, c.bpp, topDown);
      for (auto decoded : {portable::DecodeBmp(bytes.data(), bytes.size()),
                           portable::DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size())}) {
        ASSERT_TRUE(decoded) << c.bpp << " bits, top-down " << topDown;
        EXPECT_EQ(decoded->width, c.picture->width);
        EXPECT_EQ(decoded->height, c.picture->height);
        EXPECT_EQ(decoded->pixels, c.picture->pixels) << c.bpp << " bits, top-down " << topDown;
      }
    }
  }
}

TEST_F(LoaderTest, KindComesFromContentNotName) {
  const PixelSurface picture = testing::Pattern(5, 4);
  ImageObject image(&surfaces);
  EXPECT_EQ(image.Load(Write("bmp_named.gif", testing::BmpBytes(picture, 24, false)).c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
  EXPECT_EQ(image.BitmapWidth(), 5);
  EXPECT_EQ(image.BitmapHeight(), 4);

  const int32_t gifResult = image.Load(Write("gif_named.bmp", testing::GifBytes(picture)).c_str());
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
#if DFX_TEST_SDL
  EXPECT_EQ(gifResult, 1);
  EXPECT_EQ(image.BitmapWidth(), 5);
#else
  EXPECT_EQ(gifResult, 0);  // no GIF decoder without SDL2_image
#endif

  EXPECT_EQ(image.Load(Write("two_bytes.bmp", {0x42, 0x4D}).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
  EXPECT_EQ(image.BitmapWidth(), 0);
}

TEST_F(LoaderTest, PngIsMeasuredButNeverDrawable) {
  ImageObject image(&surfaces);
  image.BindToWindow();
  ASSERT_EQ(image.Load(Write("ok.bmp", testing::BmpBytes(testing::Pattern(3, 3), 24, false)).c_str()), 1);
  EXPECT_EQ(image.Load(Write("picture.png", testing::PngHeaderBytes(300, 70000)).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Png);
  EXPECT_EQ(image.Loader().width, 300);
  EXPECT_EQ(image.Loader().height, 70000);
  EXPECT_EQ(image.Draw(0, 0, 0), 0);
  // A PNG cut short reads the missing size bytes as 0.
  Bytes cut = testing::PngHeaderBytes(0x01020304, 5);
  cut.resize(18);
  EXPECT_EQ(image.Load(Write("short.png", cut).c_str()), 0);
  EXPECT_EQ(image.Loader().width, 0x01020000);
  EXPECT_EQ(image.Loader().height, 0);
}

TEST_F(LoaderTest, UnopenablePathKeepsThePictureButAFailedFileEmptiesIt) {
  ImageObject image(&surfaces);
  image.BindToWindow();
  const PixelSurface picture(4, 4, 0x00FF00);
  ASSERT_EQ(image.Load(Write("keep.bmp", testing::BmpBytes(picture, 24, false)).c_str()), 1);
  EXPECT_EQ(image.Load(testing::TempPath("no_such_file.bmp").c_str()), 0);
  EXPECT_EQ(image.Load(::testing::TempDir().c_str()), 0);  // a folder cannot be opened as a file
  EXPECT_EQ(image.Load(nullptr), 0);
  EXPECT_NE(image.Draw(1, 1, 0), 0);
  EXPECT_EQ(window.surface.At(1, 1), 0x00FF00u);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);

  EXPECT_EQ(image.Load(Write("text.bmp", {'h', 'e', 'l', 'l', 'o'}).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::None);
  EXPECT_EQ(image.Draw(10, 10, 0), 0);
  EXPECT_EQ(window.surface.At(10, 10), 0u);
  EXPECT_EQ(image.BitmapWidth(), 0);
  EXPECT_TRUE(image.Bound());  // binding survives a failed load
}

TEST_F(LoaderTest, OversizedPicturesAreRefusedFromTheirHeaders) {
  const Bytes good = testing::BmpBytes(testing::Pattern(2, 2), 24, false);
  auto withSize = [&](int32_t w, int32_t h) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) {
      b[18 + i] = uint8_t(uint32_t(w) >> (8 * i));
      b[22 + i] = uint8_t(uint32_t(h) >> (8 * i));
    }
    return b;
  };
  using portable::MaxPictureSide;
  for (auto [w, h] : {std::pair{100000, 100000}, {MaxPictureSide + 1, 1}, {1, -(MaxPictureSide + 1)}, {0, 2},
                      {2, 0}, {-2, 2}, {INT32_MIN, INT32_MIN}, {2, INT32_MIN}}) {
    const Bytes b = withSize(w, h);
    EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Bmp, b.data(), b.size())) << w << "x" << h;
    EXPECT_FALSE(portable::DecodePicture(PictureKind::Bmp, b.data(), b.size())) << w << "x" << h;
  }
  // At the bound the header is accepted, and the missing pixel data is then refused.
  const Bytes atBound = withSize(MaxPictureSide, -MaxPictureSide);
  auto size = portable::PeekPictureSize(PictureKind::Bmp, atBound.data(), atBound.size());
  ASSERT_TRUE(size);
  EXPECT_EQ(size->height, MaxPictureSide);
  EXPECT_FALSE(portable::DecodeBmp(atBound.data(), atBound.size()));

  Bytes gif = testing::GifBytes(testing::Pattern(2, 2));
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;  // 65535 x 65535 screen
  EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Gif, gif.data(), gif.size()));
  ImageObject image(&surfaces);
  EXPECT_EQ(image.Load(Write("huge.gif", gif).c_str()), 0);
  EXPECT_EQ(image.Load(Write("huge.bmp", withSize(100000, 100000)).c_str()), 0);
}

TEST_F(LoaderTest, GifWithAHugeFirstImageInsideASmallScreenIsRefused) {
  Bytes gif = testing::GifBytes(testing::Pattern(2, 2));
  const size_t descriptor = 13 + 3 * 256;
  ASSERT_EQ(gif[descriptor], 0x2C);
  gif[descriptor + 5] = gif[descriptor + 6] = 0xFF;
  EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Gif, gif.data(), gif.size()));
  gif[descriptor + 5] = 2;
  gif[descriptor + 6] = 0;
  gif[descriptor + 1] = 0xFF;  // in size, but placed beyond the bound
  gif[descriptor + 2] = 0xFF;
  EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Gif, gif.data(), gif.size()));
}

// Every prefix of a valid file, and garbage after each magic, must fail cleanly.
TEST_F(LoaderTest, HostileFilesNeverCrashTheLoader) {
  const PixelSurface picture = testing::Pattern(6, 5);
  std::vector<Bytes> valid = {testing::BmpBytes(picture, 24, false), testing::BmpBytes(picture, 8, true),
                              testing::GifBytes(picture)};
  ImageObject image(&surfaces);
  image.BindToWindow();
  const std::string path = Write("hostile.bin", {});
  for (const Bytes& file : valid) {
    for (size_t n = 0; n < file.size(); n += (n < 80 ? 1 : 37)) {
      testing::WriteFileBytes(path, Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
      image.Load(path.c_str());  // any result, but no crash and a sane size
      EXPECT_LE(image.BitmapWidth(), 6);
      image.Draw(0, 0, 0);
    }
  }
  std::mt19937 random(1234);
  const std::vector<Bytes> magics = {{'B', 'M'}, {'G', 'I', 'F'}, {'G', 'I', 'F', '8', '9', 'a'}, {0xFF, 0xD8},
                                     {0xFF, 0xD8, 0xFF, 0xC0}};
  for (const Bytes& magic : magics) {
    for (int round = 0; round < 40; ++round) {
      Bytes b = magic;
      const size_t extra = random() % 600;
      for (size_t i = 0; i < extra; ++i) b.push_back(uint8_t(random()));
      testing::WriteFileBytes(path, b);
      EXPECT_EQ(image.Load(path.c_str()), 0);
      EXPECT_EQ(image.Draw(0, 0, 0), 0);
    }
  }
}

TEST_F(LoaderTest, CorruptedBmpHeadersAreBoundsChecked) {
  const Bytes good = testing::BmpBytes(testing::Pattern(9, 7), 24, false);
  const Bytes paletted = testing::BmpBytes(PixelSurface(9, 7, 0x010203), 8, false);
  std::mt19937 random(99);
  for (const Bytes* base : {&good, &paletted}) {
    for (int round = 0; round < 400; ++round) {
      Bytes b = *base;
      // Damage a few header bytes: offsets, sizes, depths, counts.
      for (int k = 0; k < 3; ++k) b[2 + random() % 60] = uint8_t(random());
      auto decoded = portable::DecodeBmp(b.data(), b.size());
      if (decoded) {
        EXPECT_LE(decoded->width, portable::MaxPictureSide);
        EXPECT_EQ(decoded->pixels.size(), size_t(decoded->width) * size_t(decoded->height));
      }
      portable::DecodePicture(PictureKind::Bmp, b.data(), b.size());
    }
  }
}

}  // namespace
}  // namespace dfx
