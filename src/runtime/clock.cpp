#include "runtime/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace dfx {

namespace {
std::atomic<bool> virtualClock{false};
std::atomic<uint32_t> virtualTick{0};
const auto processStart = std::chrono::steady_clock::now();
// The tick count of a real clock starts at an arbitrary value, as the platform's does.
const uint32_t realTickBase = static_cast<uint32_t>(
    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count());
}  // namespace

uint32_t TickCount() {
  if (virtualClock.load()) return virtualTick.load();
  auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - processStart);
  return realTickBase + static_cast<uint32_t>(elapsed.count());
}

void SleepMs(uint32_t ms) {
  if (virtualClock.load()) {
    virtualTick.fetch_add(ms);
    return;
  }
#ifdef __EMSCRIPTEN__
  // The browser's one thread: a sleep hands control back to the page (Asyncify).
  emscripten_sleep(ms);
#else
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

void UseVirtualClock(uint32_t startTick) {
  virtualTick.store(startTick);
  virtualClock.store(true);
}

void UseRealClock() { virtualClock.store(false); }

bool UsingVirtualClock() { return virtualClock.load(); }

}  // namespace dfx
