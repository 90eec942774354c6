// The host window on SDL2: a window thread owns every SDL video call and the event
// loop, presents what the game drew, repaints from the screen-sized back buffer on
// expose, and turns key-downs into Windows virtual-key codes in a one-byte slot.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <memory>

#include "host/host.h"
#include "image/portable/pixel_surface.h"

namespace dfx {

// The virtual-key code of an SDL key-down, or 0 for keys that are not stored (any
// key with Alt held, Alt itself and F10, which Windows reports as system keys).
uint8_t VirtualKeyFromSdl(const SDL_Keysym& key);

class SdlHost : public Host {
 public:
  SdlHost();
  // The game never destroys its host (closing the window ends the process); tests
  // do, which stops the window thread and shuts SDL's video down. Image objects
  // created by this host must be gone first.
  ~SdlHost() override;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  void StartWindow() override;
  void FinishWindowSetup(const char* title) override;
  std::unique_ptr<Image> CreateImage() override;
  uint8_t TakeKey() override;
  void IdleForKey() override;

  // For tests: the last frame handed to the display (client area, 0x00RRGGBB),
  // how many frames were presented, and the back buffer's size.
  portable::PixelSurface PresentedFrame();
  uint64_t PresentCount();
  // The back buffer as a draw target (null before the window exists), so a test can
  // draw into it alone and see a repaint bring it to the window.
  portable::DrawTarget* BackBuffer();

  // Shared between the two threads; defined with the window thread's code.
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace dfx
