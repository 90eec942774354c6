// The host window on SDL2: the process's main thread owns every SDL video call and
// the event loop, presents what the game (on a second thread) drew at an integer zoom,
// repaints from the back buffer on expose, and turns key-downs into Windows codes.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "host/host.h"
#include "host/screen_core.h"
#include "host/sdl/sdl_keys.h"
#include "image/portable/pixel_surface.h"

namespace dfx {

constexpr int32_t MaxZoom = 8;

// The largest integer zoom at which the LCD fits into width x height (at least 1).
inline int32_t FittingZoom(int32_t width, int32_t height) { return FittingZoom(width, height, MaxZoom); }

// The default zoom for a display's dots per inch. SDL on Cocoa counts the backing scale
// in while sizing windows in points.
#ifdef __APPLE__
constexpr bool SdlDpiCountsBackingScale = true;
#else
constexpr bool SdlDpiCountsBackingScale = false;
#endif
int32_t ZoomForDpi(float dpi, bool dpiCountsBackingScale = SdlDpiCountsBackingScale);

// SDL's drivers that show nothing a person can see (unknown: null).
bool IsVirtualVideoDriver(const char* name);

class SdlHost : public Host {
 public:
  // zoom 1..MaxZoom, or 0 for the display's scale factor; never more than fits the
  // usable part of the display.
  explicit SdlHost(int32_t zoom = 0);
  // Image objects created by this host must be gone first.
  ~SdlHost() override;

  // Runs SDL video and events on the calling thread, which must be the process's main
  // thread, and game on a second one. Returns when game returns (only tests' games
  // do); closing the window ends the process at once with exit status 0. Without a
  // display it prints one line and ends the process with exit status 1.
  void Run(const std::function<void()>& game);
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  void StartWindow() override;
  void FinishWindowSetup(const char* title) override;
  std::unique_ptr<Image> CreateImage() override;
  Input TakeInput() override;
  void IdleForKey() override;

  // For tests: the last frame handed to the display (client area, 0x00RRGGBB),
  // how many frames were presented, and the back buffer's size.
  portable::PixelSurface PresentedFrame();
  uint64_t PresentCount();
  // The back buffer as a draw target (null before the window exists), so a test can
  // draw into it alone and see a repaint bring it to the window.
  portable::DrawTarget* BackBuffer();
  // The zoom of the last present (in full screen, the fitting one) and the threads
  // that ran the event loop and the game.
  int32_t PresentedZoom();
  std::thread::id EventThread();
  std::thread::id GameThread();

  // Shared between the two threads; defined with the window thread's code.
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace dfx
