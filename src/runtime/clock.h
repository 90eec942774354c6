// The millisecond tick count and sleep that game, search and animation use.
// Tests and `dfx replay` switch to a virtual clock on which sleeping advances
// the tick count at once, so whole games run without real waiting.
#pragma once
#include <cstdint>

namespace dfx {

// Milliseconds, wrapping at 2^32 like the platform's tick counter.
uint32_t TickCount();
void SleepMs(uint32_t ms);

// From now on TickCount starts at startTick and only SleepMs moves it.
void UseVirtualClock(uint32_t startTick);
void UseRealClock();
bool UsingVirtualClock();

}  // namespace dfx
