#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "image/portable/picture_decode.h"
#include "test_pictures.h"

namespace dfx {
namespace {

using portable::ImageObject;
using portable::PixelSurface;
using testing::Bytes;

// Real files written by SDL's own writers.
class SdlPictureTest : public testing::SurfacesTest {
 protected:
  SdlPictureTest() : picture(testing::Pattern(20, 12)) {
    surface = SDL_CreateRGBSurfaceWithFormat(0, 20, 12, 32, SDL_PIXELFORMAT_RGB888);
    for (int y = 0; y < 12; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
      for (int x = 0; x < 20; ++x) row[x] = picture.At(x, y);
    }
  }
  ~SdlPictureTest() override { SDL_FreeSurface(surface); }
  std::string Path(const char* name) { return Write(name, {}); }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  PixelSurface picture;
  SDL_Surface* surface = nullptr;
};

TEST_F(SdlPictureTest, FilesFromRealWritersAreRecognisedAndDecoded) {
  const std::string bmp = Path("sdl.bmp"), png = Path("sdl.png"), jpg = Path("sdl.jpg");
  ASSERT_EQ(SDL_SaveBMP(surface, bmp.c_str()), 0);
  ASSERT_EQ(IMG_SavePNG(surface, png.c_str()), 0);
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 95), 0);
  const std::string gif = Write("made.gif", testing::GifBytes(picture));

  ImageObject image(&surfaces);
  ASSERT_EQ(image.Load(bmp.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Bmp);
  const Bytes bytes = Read(bmp);
  for (auto decoded : {portable::DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size()),
                       portable::DecodeBmp(bytes.data(), bytes.size())}) {
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels, picture.pixels);
  }
  EXPECT_EQ(image.Load(png.c_str()), 0);
  EXPECT_EQ(image.Loader().kind, PictureKind::Png);
  EXPECT_EQ(image.Loader().width * 100 + image.Loader().height, 2012);
  ASSERT_EQ(image.Load(jpg.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Jpeg);
  EXPECT_EQ(image.BitmapWidth() * 100 + image.BitmapHeight(), 2012);

  ASSERT_EQ(image.Load(gif.c_str()), 1);
  EXPECT_EQ(image.Loader().kind, PictureKind::Gif);
  image.BindToWindow();
  ASSERT_NE(image.Draw(0, 0, 0), 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) ASSERT_EQ(window.surface.At(x, y), picture.At(x, y)) << x << "," << y;
  }
  // JPEG is lossy: a flat colour comes back close.
  SDL_FillRect(surface, nullptr, 0x00336699);
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 100), 0);
  const Bytes flat = Read(jpg);
  auto decoded = portable::DecodePicture(PictureKind::Jpeg, flat.data(), flat.size());
  ASSERT_TRUE(decoded);
  for (int shift : {16, 8, 0}) {
    EXPECT_NEAR(int(decoded->At(10, 6) >> shift & 0xFF), int(0x336699 >> shift & 0xFF), 3) << shift;
  }
}

TEST_F(SdlPictureTest, DamagedJpegsAndGifsFailWithoutCrashing) {
  const std::string jpg = Path("source.jpg"), path = Path("damaged.bin");
  ASSERT_EQ(IMG_SaveJPG(surface, jpg.c_str(), 80), 0);
  const Bytes valid = Read(jpg);
  ASSERT_TRUE(portable::PeekPictureSize(PictureKind::Jpeg, valid.data(), valid.size()));
  ImageObject image(&surfaces);
  for (const Bytes& file : {valid, testing::GifBytes(picture)}) {
    const PictureKind kind = DetectKind(file.data());
    for (size_t n = 0; n < file.size(); n += 23) {
      testing::WriteFileBytes(path, Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)));
      image.Load(path.c_str());
      EXPECT_LE(image.BitmapWidth(), 20);
    }
    for (size_t i = 2; i < file.size(); i += 5) {
      Bytes b = file;
      b[i] = uint8_t(b[i] * 7 + 1);
      if (auto decoded = portable::DecodePicture(kind, b.data(), b.size())) {
        EXPECT_LE(decoded->width, portable::MaxPictureSide);
      }
    }
  }
  // A frame header announcing 60000 x 60000 is refused before decoding.
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
}

}  // namespace
}  // namespace dfx
