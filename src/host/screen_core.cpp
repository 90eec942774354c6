#include "host/screen_core.h"

#include <algorithm>

#include "runtime/clock.h"

namespace dfx {

using portable::DrawTarget;
using portable::PixelSurface;

namespace {

// The back buffer is never smaller than the client area.
void CopyClientArea(const PixelSurface& back, PixelSurface& client) {
  for (int32_t y = 0; y < ClientHeight; ++y)
    std::copy_n(back.pixels.begin() + ptrdiff_t(y) * back.width, ClientWidth,
                client.pixels.begin() + ptrdiff_t(y) * ClientWidth);
}

}  // namespace

bool LcdPlacement::PictureAt(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y) const {
  if (zoom < 1 || windowX < left || windowY < top) return false;
  x = (windowX - left) / zoom;
  y = (windowY - top) / zoom;
  return x < ClientWidth && y < ClientHeight;
}

int32_t FittingZoom(int32_t width, int32_t height, int32_t maxZoom) {
  return std::clamp(std::min(width / ClientWidth, height / ClientHeight), 1, std::max(maxZoom, 1));
}

LcdPlacement PlaceLcd(int32_t width, int32_t height, int32_t zoom, bool fullScreen, int32_t maxZoom) {
  if (!fullScreen) return {.zoom = std::max(zoom, 1)};
  const int32_t fit = FittingZoom(width, height, maxZoom);
  return {.zoom = fit,
          .left = std::max(0, (width - ClientWidth * fit) / 2),
          .top = std::max(0, (height - ClientHeight * fit) / 2)};
}

void ScreenCore::Open(int32_t screenWidth, int32_t screenHeight) {
  const int32_t w = std::clamp(screenWidth, ClientWidth, MaxScreenSide);
  const int32_t h = std::clamp(screenHeight, ClientHeight, MaxScreenSide);
  window_ = std::make_unique<DrawTarget>(ClientWidth, ClientHeight, 0);
  backBuffer_ = std::make_unique<DrawTarget>(w, h, 0);
  surfaces_.window = window_.get();
  surfaces_.backBuffer = backBuffer_.get();
}

void ScreenCore::Close() {
  surfaces_ = {};
  window_.reset();
  backBuffer_.reset();
  ready_.store(false);
}

PixelSurface ScreenCore::ClientArea(bool markSeen) {
  PixelSurface out(ClientWidth, ClientHeight, 0);
  if (!backBuffer_) return out;
  std::lock_guard<std::mutex> guard(backBuffer_->mutex);
  if (markSeen) backBuffer_->dirty.store(false);
  CopyClientArea(backBuffer_->surface, out);
  return out;
}

void ScreenCore::Repaint() {
  if (!window_) return;
  std::lock_guard<std::mutex> backGuard(backBuffer_->mutex);
  std::lock_guard<std::mutex> windowGuard(window_->mutex);
  CopyClientArea(backBuffer_->surface, window_->surface);
  window_->dirty.store(false);
}

void ScreenCore::WaitReady() {
  while (!ready_.load()) SleepMs(20);
}

}  // namespace dfx
