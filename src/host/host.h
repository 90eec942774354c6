// What the game sees of the host window: the start-up handshake, the final window
// set-up, the image objects that draw into the window, and the one-byte key slot.
// Implemented by the SDL window, the Win32 window and the in-memory host of tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "host/input_slot.h"
#include "image/image.h"

namespace dfx {

// Outer window size and title the game gives its window after the handshake.
constexpr int32_t WindowOuterWidth = 650;
constexpr int32_t WindowOuterHeight = 237;
// The client area that frame leaves (what the portable hosts open).
constexpr int32_t ClientWidth = 640;
constexpr int32_t ClientHeight = 204;
inline constexpr const char* FirstWindowTitle = "BASIC PROMPT";

class Host : public ImageFactory {
 public:
  // Clears the ready flag, starts the window thread and polls the flag every 20 ms
  // until the window has painted once. No time-out.
  virtual void StartWindow() = 0;
  // Final title, small icon, fixed frame (no resize, no maximise), 650x237 at (0, 0).
  virtual void FinishWindowSetup(const char* title) = 0;
  // A new, empty image object of this platform, bindable to this host's window.
  std::unique_ptr<Image> CreateImage() override = 0;

  // Takes the input slot in one exchange: the unread key or pointer press, or an empty input.
  virtual Input TakeInput() = 0;
  // Called while waiting for input and the slot was empty: blocks until input may have
  // arrived (a native host waits on its slot; nothing is polled).
  virtual void IdleForKey() = 0;

  // The unread key code, or 0 (an unread pointer press is dropped).
  uint8_t TakeKey() { return TakeInput().key; }
};

// The next input, waiting for it.
Input WaitInput(Host& host);
// n key codes, waiting for each (pointer presses are passed over); the empty string at
// once for n <= 0.
std::string ReadKeys(Host& host, int32_t n);
// Blocks for one key and returns its code (0..255), which the game keeps as lastKey.
int16_t WaitKey(Host& host);

}  // namespace dfx
