#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "image/portable/image_object.h"
#include "image/portable/picture_decode.h"
#include "test_pictures.h"

namespace dfx {
namespace {

using portable::ImageObject;
using portable::PixelSurface;
using testing::Bytes;

// Real files written by SDL's own writers.
class SdlPictureTest : public ::testing::Test {
 protected:
  SdlPictureTest() : window(64, 64), back(64, 64) {
    surfaces.window = &window;
    surfaces.backBuffer = &back;
    picture = testing::Pattern(20, 12);
    surface = SDL_CreateRGBSurfaceWithFormat(0, 20, 12, 32, SDL_PIXELFORMAT_RGB888);
    for (int y = 0; y < 12; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
      for (int x = 0; x < 20; ++x) row[x] = picture.At(x, y);
    }
  }
  ~SdlPictureTest() override {
    SDL_FreeSurface(surface);
    for (const auto& p : paths) std::remove(p.c_str());
  }
  std::string Path(const char* name) {
    paths.push_back(testing::TempPath(name));
    return paths.back();
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  portable::DrawTarget window;
  portable::DrawTarget back;
  portable::WindowSurfaces surfaces;
  PixelSurface picture;
  SDL_Surface* surface = nullptr;
  std::vector<std::string> paths;
};

TEST_F(SdlPictureTest, FilesFromRealWritersAreRecognisedAndDecoded) {
  const std::string bmp = Path("sdl.bmp");
  const std::string png = Path("sdl.png");
  const std::string jpg = Path("sdl.jpg");
  const std::string gif = Path("made.gif");
  ASSERT_EQ(SDL_SaveBMP(surface, bmp.c_str()), 0);
  ASSERT_EQ(IMG_SavePNG(surface, png.c_str()), 0);
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 95), 0);
  testing::WriteFileBytes(gif, testing::GifBytes(picture));

  ImageObject image(&surfaces);
  ASSERT_EQ(image.Load(bmp.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);

  EXPECT_EQ(image.Load(png.c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Png);
  EXPECT_EQ(image.Loader().width, 20);
  EXPECT_EQ(image.Loader().height, 12);

  ASSERT_EQ(image.Load(jpg.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Jpeg);
  EXPECT_EQ(image.BitmapWidth(), 20);
  EXPECT_EQ(image.BitmapHeight(), 12);

  ASSERT_EQ(image.Load(gif.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
  image.BindToWindow();
  ASSERT_NE(image.Draw(0, 0, 0), 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(window.surface.At(x, y), picture.At(x, y)) << x << "," << y;
  }
}

TEST_F(SdlPictureTest, DecodedColoursMatchTheSource) {
  const std::string bmp = Path("colours.bmp");
  ASSERT_EQ(SDL_SaveBMP(surface, bmp.c_str()), 0);
  Bytes bytes = Read(bmp);
  auto decoded = portable::DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pixels, picture.pixels);
  auto ours = portable::DecodeBmp(bytes.data(), bytes.size());  // the decoder of builds without SDL
  ASSERT_TRUE(ours);
  EXPECT_EQ(ours->pixels, picture.pixels);

  // JPEG is lossy: a flat colour comes back close.
  SDL_FillRect(surface, nullptr, 0x00336699);
  const std::string jpg = Path("flat.jpg");
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 100), 0);
  bytes = Read(jpg);
  decoded = portable::DecodePicture(PictureKind::Jpeg, bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  const uint32_t c = decoded->At(10, 6);
  EXPECT_LE(std::abs(int(c >> 16) - 0x33), 3);
  EXPECT_LE(std::abs(int(c >> 8 & 0xFF) - 0x66), 3);
  EXPECT_LE(std::abs(int(c & 0xFF) - 0x99), 3);
}

TEST_F(SdlPictureTest, DamagedJpegsAndGifsFailWithoutCrashing) {
  const std::string jpg = Path("damaged_source.jpg");
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 80), 0);
  const Bytes valid = Read(jpg);
  ASSERT_TRUE(portable::PeekPictureSize(PictureKind::Jpeg, valid.data(), valid.size()));
  const std::string path = Path("damaged.bin");
  ImageObject image(&surfaces);
  for (size_t n = 0; n < valid.size(); n += 23) {
    testing::WriteFileBytes(path, Bytes(valid.begin(), valid.begin() + std::ptrdiff_t(n)));
    image.Load(path.c_str());
    EXPECT_LE(image.BitmapWidth(), 20);
  }
  // Flipped bytes all through the data.
  for (size_t i = 2; i < valid.size(); i += 7) {
    Bytes b = valid;
    b[i] ^= 0x5A;
    auto decoded = portable::DecodePicture(PictureKind::Jpeg, b.data(), b.size());
    if (decoded) {
      EXPECT_LE(decoded->width, portable::MaxPictureSide);
    }
  }
  // A JPEG frame header announcing 60000 x 60000 is refused before decoding.
  Bytes huge = valid;
  for (size_t i = 2; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 0xEA;
      huge[i + 6] = huge[i + 8] = 0x60;
      break;
    }
  }
  EXPECT_FALSE(portable::PeekPictureSize(PictureKind::Jpeg, huge.data(), huge.size()));
  testing::WriteFileBytes(path, huge);
  EXPECT_EQ(image.Load(path.c_str()), 0);

  const Bytes gif = testing::GifBytes(picture);
  for (size_t i = 6; i < gif.size(); i += 5) {
    Bytes b = gif;
    b[i] = uint8_t(b[i] * 7 + 1);
    portable::DecodePicture(PictureKind::Gif, b.data(), b.size());
  }
}

}  // namespace
}  // namespace dfx
