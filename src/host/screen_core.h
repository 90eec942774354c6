// What every portable front end shares: the window's client area and the back buffer as
// pixel surfaces wired for the image objects, the copy of the client area that a repaint
// shows, the screen's bounds, the ready handshake and the input slot with its key rules.
// A front end adds its event loop and the present of the client area.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "host/host.h"
#include "host/key_rules.h"
#include "image/portable/image_object.h"

namespace dfx {

// The back buffer is as large as the screen, never smaller than the client area nor
// larger than this on a side (a bad figure from a display must not exhaust memory).
constexpr int32_t MaxScreenSide = 16384;

// Where a window shows the LCD: at the top-left at its zoom, or in full screen centred
// on black at the largest zoom that fits.
struct LcdPlacement {
  int32_t zoom = 1;
  int32_t left = 0;
  int32_t top = 0;

  // The point of the picture under a window pixel; false off the LCD (the black around it).
  bool PictureAt(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y) const;
};
// The largest integer zoom, 1..maxZoom, at which the LCD fits into width x height.
int32_t FittingZoom(int32_t width, int32_t height, int32_t maxZoom);
LcdPlacement PlaceLcd(int32_t width, int32_t height, int32_t zoom, bool fullScreen, int32_t maxZoom);

class ScreenCore {
 public:
  ScreenCore() = default;
  ScreenCore(const ScreenCore&) = delete;
  ScreenCore& operator=(const ScreenCore&) = delete;

  // Creates the client area (black) and a back buffer sized after the screen.
  void Open(int32_t screenWidth, int32_t screenHeight);
  void Close();
  bool IsOpen() const { return window_ != nullptr; }

  // An image object bindable to this window (it draws once the window is open).
  std::unique_ptr<Image> CreateImage() { return std::make_unique<portable::ImageObject>(&surfaces_); }
  portable::DrawTarget* Window() const { return window_.get(); }
  portable::DrawTarget* BackBuffer() const { return backBuffer_.get(); }

  // The client area as the back buffer holds it: what a repaint shows. With markSeen the
  // back buffer counts as presented (a draw during the copy marks it again).
  portable::PixelSurface ClientArea(bool markSeen = false);
  // A paint: the client area shows the back buffer again, whatever it lost.
  void Repaint();

  // The start-up handshake: the game waits (polling every 20 ms) until the front end
  // has painted once.
  void MarkReady() { ready_.store(true); }
  bool Ready() const { return ready_.load(); }
  void WaitReady();
  void ResetReady() { ready_.store(false); }

  InputSlot& Slot() { return slot_; }
  KeyRouter& Keys() { return keys_; }

 private:
  std::unique_ptr<portable::DrawTarget> window_;
  std::unique_ptr<portable::DrawTarget> backBuffer_;
  portable::WindowSurfaces surfaces_;
  std::atomic<bool> ready_{false};
  InputSlot slot_;
  KeyRouter keys_{slot_};
};

}  // namespace dfx
