// The one-entry slot between the window side and the game: a key code, or a press of the
// pointer at a point of the 640x204 picture. A new input replaces an unread one, as a
// key-down replaces the unread key; taking is one exchange, so nothing is lost between
// read and clear. The game's thread may block on the slot until something arrives.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace dfx {

struct Input {
  uint8_t key = 0;     // a key code 1..255, or 0
  bool press = false;  // a pointer press at (x, y) of the picture
  int16_t x = 0;
  int16_t y = 0;

  bool Empty() const { return key == 0 && !press; }
  bool operator==(const Input&) const = default;
};

class InputSlot {
 public:
  void StoreKey(uint8_t code);
  // A press outside the picture is no input at all.
  void StorePress(int32_t x, int32_t y);
  Input Take();
  // Blocks until an input is stored, Wake is called or timeoutMs pass.
  void Wait(int32_t timeoutMs);
  void Wake();

 private:
  void Store(uint32_t packed);

  std::atomic<uint32_t> slot_{0};
  std::mutex mutex_;
  std::condition_variable stored_;
  bool woken_ = false;
};

}  // namespace dfx
