#include "host/input_slot.h"

#include <chrono>

#include "host/host.h"

namespace dfx {

namespace {
// A key is its code; a press sets the top bit above x (12 bits) and y (12 bits).
constexpr uint32_t PressBit = 1u << 31;
}  // namespace

void InputSlot::StoreKey(uint8_t code) {
  if (code != 0) Store(code);
}

void InputSlot::StorePress(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= ClientWidth || y >= ClientHeight) return;
  Store(PressBit | uint32_t(x) << 12 | uint32_t(y));
}

Input InputSlot::Take() {
  const uint32_t packed = slot_.exchange(0);
  Input in;
  if (packed & PressBit) {
    in.press = true;
    in.x = int16_t((packed >> 12) & 0xFFF);
    in.y = int16_t(packed & 0xFFF);
  } else {
    in.key = uint8_t(packed);
  }
  return in;
}

void InputSlot::Store(uint32_t packed) {
  slot_.store(packed);
  Wake();
}

void InputSlot::Wake() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    woken_ = true;
  }
  stored_.notify_all();
}

void InputSlot::Wait(int32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  stored_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [this] { return woken_ || slot_.load() != 0; });
  woken_ = false;
}

}  // namespace dfx
