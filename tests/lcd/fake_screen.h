// A host of our own for the LCD tests: image objects that read the BMPs with the
// screen reader's decoder, paint into one 640x204 surface and log every draw.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "image/image.h"
#include "image/portable/pixel_surface.h"
#include "lcd/screen_reader.h"

namespace dfx::testing {

struct DrawCall {
  int image;  // creation order = image number when made by CreateGlyphObjects
  int32_t x, y;
};

struct FakeScreen {
  portable::PixelSurface surface{640, 204, 0};
  std::vector<DrawCall> draws;
  std::vector<std::string> loads;
  int bindings = 0;
};

class FakeImage : public Image {
 public:
  FakeImage(FakeScreen* screen, int id) : screen_(screen), id_(id) {}
  int32_t Load(const char* path) override {
    screen_->loads.push_back(path);
    portable::PixelSurface picture;
    if (!ReadBmpFile(path, &picture)) {
      loaded_ = false;
      return 0;
    }
    picture_ = std::move(picture);
    loaded_ = true;
    return 1;
  }
  void BindToWindow() override { ++screen_->bindings; }
  int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
    if (!loaded_) return 0;
    screen_->draws.push_back({id_, x, y});
    auto& s = screen_->surface;
    for (int32_t j = 0; j < picture_.height; ++j) {
      for (int32_t i = 0; i < picture_.width; ++i) {
        if (x + i >= 0 && y + j >= 0 && x + i < s.width && y + j < s.height) s.At(x + i, y + j) = picture_.At(i, j);
      }
    }
    return 1;
  }
  int32_t BitmapWidth() const override { return loaded_ ? picture_.width : 0; }
  int32_t BitmapHeight() const override { return loaded_ ? picture_.height : 0; }
  int32_t SetCaptureDelay(int32_t) override { return 1; }

 private:
  FakeScreen* screen_;
  int id_;
  bool loaded_ = false;
  portable::PixelSurface picture_;
};

class FakeHost : public Host {
 public:
  FakeScreen screen;
  void StartWindow() override {}
  void FinishWindowSetup(const char*) override {}
  std::unique_ptr<Image> CreateImage() override { return std::make_unique<FakeImage>(&screen, created_++); }
  uint8_t TakeKey() override { return 0; }
  void IdleForKey() override {}

 private:
  int created_ = 0;
};

}  // namespace dfx::testing
