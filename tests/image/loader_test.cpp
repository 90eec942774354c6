#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "image/portable/picture_decode.h"
#include "test_pictures.h"

#ifndef DFX_TEST_SDL
#define DFX_TEST_SDL 0
#endif

namespace dfx {
namespace {

using portable::ImageObject;
using portable::MaxPictureSide;
using portable::PixelSurface;
using testing::Bytes;

TEST(DetectKind, ReadsTheFirstBytesOnly) {
  const std::pair<Bytes, PictureKind> cases[] = {
      {{0x42, 0x4D}, PictureKind::Bmp},  {{'G', 'I', 'F'}, PictureKind::Gif}, {{'G', 'I'}, PictureKind::None},
      {{0xFF, 0xD8}, PictureKind::Jpeg}, {{0xFF}, PictureKind::None},         {{}, PictureKind::None},
      {{'B', 'm'}, PictureKind::None},   {testing::PngHeaderBytes(1, 1), PictureKind::Png},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, PictureKind::None},  // the eighth byte counts as 0
  };
  for (const auto& [bytes, kind] : cases) {
    uint8_t first[8] = {};
    std::copy_n(bytes.begin(), std::min<size_t>(8, bytes.size()), first);
    EXPECT_EQ(DetectKind(first), kind) << bytes.size() << " bytes";
  }
}

using LoaderTest = testing::SurfacesTest;

TEST_F(LoaderTest, EveryBmpLayoutDecodesToTheSameColours) {
  PixelSurface two(13, 5), sixteen(7, 9);
  for (int32_t i = 0; i < 13 * 5; ++i) two.pixels[size_t(i)] = i % 3 == 0 ? 0x123456 : 0xFEDCBA;
  for (int32_t i = 0; i < 7 * 9; ++i) sixteen.pixels[size_t(i)] = uint32_t(i * 5 % 16) * 0x0F0F0F;
  PixelSurface many = testing::Pattern(11, 6);
  for (auto [picture, bpp] : {std::pair{&two, 1}, {&sixteen, 4}, {&sixteen, 8}, {&many, 24}, {&many, 32}}) {
    for (bool topDown : {false, true}) {
      const Bytes bytes = testing::BmpBytes(*picture, bpp, topDown);
      for (auto decoded : {portable::DecodeBmp(bytes.data(), bytes.size()),
                           portable::DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size())}) {
        ASSERT_TRUE(decoded) << bpp << " bits, top-down " << topDown;
        EXPECT_EQ(decoded->width * 1000 + decoded->height, picture->width * 1000 + picture->height);
        EXPECT_EQ(decoded->pixels, picture->pixels) << bpp << " bits, top-down " << topDown;
      }
    }
  }
}

TEST_F(LoaderTest, KindComesFromContentAndPngIsOnlyMeasured) {
  const PixelSurface picture = testing::Pattern(5, 4);
  ImageObject image(&surfaces);
  image.BindToWindow();
  EXPECT_EQ(image.Load(Write("bmp_named.gif", testing::BmpBytes(picture, 24, false)).c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
  EXPECT_EQ(image.BitmapWidth() * 10 + image.BitmapHeight(), 54);
  const int32_t gif = image.Load(Write("gif_named.bmp", testing::GifBytes(picture)).c_str());
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
  EXPECT_EQ(gif, DFX_TEST_SDL);  // GIF decodes only with SDL2_image
  EXPECT_EQ(image.Load(Write("two_bytes.bmp", {0x42, 0x4D}).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
  EXPECT_EQ(image.BitmapWidth(), 0);

  EXPECT_EQ(image.Load(Write("picture.png", testing::PngHeaderBytes(300, 70000)).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Png);
  EXPECT_EQ(image.Loader().width, 300);
  EXPECT_EQ(image.Loader().height, 70000);
  EXPECT_EQ(image.Draw(0, 0, 0), 0);
  Bytes cut = testing::PngHeaderBytes(0x01020304, 5);
  cut.resize(18);  // missing size bytes read as 0
  EXPECT_EQ(image.Load(Write("short.png", cut).c_str()), 0);
  EXPECT_EQ(image.Loader().width, 0x01020000);
  EXPECT_EQ(image.Loader().height, 0);
}

TEST_F(LoaderTest, UnopenablePathKeepsThePictureButAFailedFileEmptiesIt) {
  ImageObject image(&surfaces);
  image.BindToWindow();
  ASSERT_EQ(image.Load(WriteBmp("keep.bmp", PixelSurface(4, 4, 0x00FF00)).c_str()), 1);
  EXPECT_EQ(image.Load(testing::TempPath("no_such_file.bmp").c_str()), 0);
  EXPECT_EQ(image.Load(::testing::TempDir().c_str()), 0);  // a folder
  EXPECT_EQ(image.Load(nullptr), 0);
  EXPECT_NE(image.Draw(1, 1, 0), 0);
  EXPECT_EQ(window.surface.At(1, 1), 0x00FF00u);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);

  EXPECT_EQ(image.Load(Write("text.bmp", {'h', 'e', 'l', 'l', 'o'}).c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::None);
  EXPECT_EQ(image.Draw(10, 10, 0), 0);
  EXPECT_EQ(window.surface.At(10, 10), 0u);
  EXPECT_EQ(image.BitmapWidth(), 0);
  EXPECT_TRUE(image.Bound());
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
  for (auto [w, h] : {std::pair{100000, 100000}, {MaxPictureSide + 1, 1}, {1, -(MaxPictureSide + 1)}, {0, 2},
                      {2, 0}, {-2, 2}, {INT32_MIN, INT32_MIN}, {2, INT32_MIN}}) {
    const Bytes b = withSize(w, h);
    EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Bmp, b.data(), b.size())) << w << "x" << h;
    EXPECT_FALSE(portable::DecodePicture(PictureKind::Bmp, b.data(), b.size())) << w << "x" << h;
  }
  // At the bound the header passes and the missing pixel data is refused.
  const Bytes atBound = withSize(MaxPictureSide, -MaxPictureSide);
  auto size = portable::PeekPictureSize(PictureKind::Bmp, atBound.data(), atBound.size());
  ASSERT_TRUE(size);
  EXPECT_EQ(size->height, MaxPictureSide);
  EXPECT_FALSE(portable::DecodeBmp(atBound.data(), atBound.size()));

  // GIF: a huge screen, a huge first image, an image placed beyond the bound.
  const Bytes gif = testing::GifBytes(testing::Pattern(2, 2));
  const size_t image = 13 + 3 * 256;
  ASSERT_EQ(gif[image], 0x2C);
  for (std::vector<size_t> at : {std::vector<size_t>{6, 7, 8, 9}, {image + 5, image + 6}, {image + 1, image + 2}}) {
    Bytes b = gif;
    for (size_t i : at) b[i] = 0xFF;
    EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Gif, b.data(), b.size())) << at[0];
    ImageObject object(&surfaces);
    EXPECT_EQ(object.Load(Write("huge.gif", b).c_str()), 0);
  }
}

TEST_F(LoaderTest, HostileFilesNeverCrashTheLoader) {
  const PixelSurface picture = testing::Pattern(6, 5);
  ImageObject image(&surfaces);
  image.BindToWindow();
  const std::string path = Write("hostile.bin", {});
  // Every prefix of a valid file.
  for (const Bytes& file : {testing::BmpBytes(picture, 24, false), testing::BmpBytes(picture, 8, true),
                            testing::GifBytes(picture)}) {
    for (size_t n = 0; n < file.size(); n += (n < 80 ? 1 : 37)) {
      testing::WriteFileBytes(path, Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
      image.Load(path.c_str());
      EXPECT_LE(image.BitmapWidth(), 6);
      image.Draw(0, 0, 0);
    }
  }
  // Garbage after each magic.
  std::mt19937 random(1234);
  for (const Bytes& magic : std::vector<Bytes>{{'B', 'M'}, {'G', 'I', 'F', '8', '9', 'a'}, {0xFF, 0xD8},
                                               {0xFF, 0xD8, 0xFF, 0xC0}}) {
    for (int round = 0; round < 40; ++round) {
      Bytes b = magic;
      for (size_t i = random() % 600; i > 0; --i) b.push_back(uint8_t(random()));
      testing::WriteFileBytes(path, b);
      EXPECT_EQ(image.Load(path.c_str()), 0);
      EXPECT_EQ(image.Draw(0, 0, 0), 0);
    }
  }
  // A few damaged header bytes: offsets, sizes, depths, counts.
  for (const Bytes& base : {testing::BmpBytes(testing::Pattern(9, 7), 24, false),
                            testing::BmpBytes(PixelSurface(9, 7, 0x010203), 8, false)}) {
    for (int round = 0; round < 400; ++round) {
      Bytes b = base;
      for (int k = 0; k < 3; ++k) b[2 + random() % 60] = uint8_t(random());
      if (auto decoded = portable::DecodeBmp(b.data(), b.size())) {
        EXPECT_LE(decoded->width, MaxPictureSide);
        EXPECT_EQ(decoded->pixels.size(), size_t(decoded->width) * size_t(decoded->height));
      }
      portable::DecodePicture(PictureKind::Bmp, b.data(), b.size());
    }
  }
}

}  // namespace
}  // namespace dfx
