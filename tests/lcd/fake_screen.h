// Image objects for the LCD tests that decode nothing: a load succeeds when the file
// exists, and every draw of a loaded object is logged with its image number and place.
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"

namespace dfx::testing {

struct DrawCall {
  int image;  // creation order, which CreateGlyphObjects makes the image number
  int32_t x, y;
};

struct DrawLog {
  std::vector<DrawCall> draws;
  std::vector<std::string> loads;
  int bindings = 0;
};

class LoggingImage : public Image {
 public:
  LoggingImage(DrawLog* log, int id) : log_(log), id_(id) {}
  int32_t Load(const char* path) override {
    log_->loads.push_back(path);
    loaded_ = std::filesystem::exists(path);
    return loaded_ ? 1 : 0;
  }
  void BindToWindow() override { ++log_->bindings; }
  int32_t Draw(int32_t x, int32_t y, int32_t, int32_t, uint32_t) override {
    if (loaded_) log_->draws.push_back({id_, x, y});
    return loaded_ ? 1 : 0;
  }
  int32_t BitmapWidth() const override { return 0; }
  int32_t BitmapHeight() const override { return 0; }
  int32_t SetCaptureDelay(int32_t) override { return 1; }

 private:
  DrawLog* log_;
  int id_;
  bool loaded_ = false;
};

class LoggingHost : public Host {
 public:
  DrawLog log;
  void StartWindow() override {}
  void FinishWindowSetup(const char*) override {}
  std::unique_ptr<Image> CreateImage() override { return std::make_unique<LoggingImage>(&log, created_++); }
  uint8_t TakeKey() override { return 0; }
  void IdleForKey() override {}

 private:
  int created_ = 0;
};

}  // namespace dfx::testing
