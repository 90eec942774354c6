#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/memory/memory_host.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

// The window thread stores keys while the game thread takes them: a key is taken
// at most once and never before a key pressed after it.
TEST(KeySlot, TakesAreAtomicAgainstAConcurrentPresser) {
  UseRealClock();
  MemoryHost host;
  host.SetOnKeysExhausted([] {});
  constexpr int presses = 250;
  std::atomic<bool> done{false};
  std::thread presser([&] {
    for (int i = 0; i < presses; ++i) {
      host.PressKey(uint8_t(1 + i));
      std::this_thread::yield();
    }
    done.store(true);
  });
  int taken = 0;
  uint8_t previous = 0;
  for (;;) {
    const bool finished = done.load();
    const uint8_t key = host.TakeKey();
    if (key != 0) {
      ASSERT_GT(key, previous);
      previous = key;
      ++taken;
    } else if (finished) {
      break;
    }
  }
  presser.join();
  EXPECT_GT(taken, 0);
  EXPECT_EQ(previous, presses);  // the last press survives
}

}  // namespace
}  // namespace dfx
