// A host with no window: the window's client area and the back buffer live in
// memory, keys come from a script, and tests read the screen back from the buffer.
// Used by the game-flow tests and `dfx replay`, normally with the virtual clock.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/host.h"
#include "image/portable/pixel_surface.h"

namespace dfx {

// Thrown from IdleForKey when the game waits for a key and the script is empty
// (unless another handler was set): it unwinds the game in tests.
struct KeysExhausted {};

class MemoryHost : public Host {
 public:
  // The "screen" the back buffer is sized after (within the screen core's bounds).
  explicit MemoryHost(int32_t screenWidth = 1024, int32_t screenHeight = 768);
  ~MemoryHost() override;

  void StartWindow() override;
  void FinishWindowSetup(const char* title) override;
  std::unique_ptr<Image> CreateImage() override;
  Input TakeInput() override;
  void IdleForKey() override;

  // Script: each key is delivered when the game next waits with an empty slot.
  void PushKey(uint8_t code);
  void PushKeys(const std::vector<uint8_t>& codes);
  // A pointer press at (x, y) of the picture, delivered as a scripted key is.
  void PushPress(int32_t x, int32_t y);
  // Scripted keys and presses not yet delivered.
  size_t PendingKeys() const;
  // A key-down now, as the window thread would store it (replaces an unread key).
  void PressKey(uint8_t code);
  // Called when the game waits, the slot is empty and no scripted key is left.
  // The default throws KeysExhausted.
  void SetOnKeysExhausted(std::function<void()> handler);

  portable::DrawTarget* Window();
  portable::DrawTarget* BackBuffer();
  // The client area (640x204) as the back buffer holds it: what a repaint shows.
  portable::PixelSurface ScreenCopy();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace dfx
