#include "host/memory/memory_host.h"

#include "host/screen_core.h"
#include "runtime/clock.h"

namespace dfx {

struct MemoryHost::State {
  ScreenCore core;
  mutable std::mutex scriptMutex;
  std::deque<Input> script;
  std::function<void()> onKeysExhausted = [] { throw KeysExhausted{}; };
};

MemoryHost::MemoryHost(int32_t screenWidth, int32_t screenHeight) : state_(std::make_unique<State>()) {
  state_->core.Open(screenWidth, screenHeight);
}

MemoryHost::~MemoryHost() = default;

void MemoryHost::StartWindow() { state_->core.MarkReady(); }

// No window: the title and the frame have nowhere to go.
void MemoryHost::FinishWindowSetup(const char*) {}

std::unique_ptr<Image> MemoryHost::CreateImage() { return state_->core.CreateImage(); }

Input MemoryHost::TakeInput() {
  Input in = state_->core.Slot().Take();
  if (!in.Empty()) return in;
  std::lock_guard<std::mutex> guard(state_->scriptMutex);
  if (state_->script.empty()) return in;
  in = state_->script.front();
  state_->script.pop_front();
  return in;
}

void MemoryHost::IdleForKey() {
  bool exhausted = false;
  {
    std::lock_guard<std::mutex> guard(state_->scriptMutex);
    exhausted = state_->script.empty();
  }
  if (exhausted) state_->onKeysExhausted();
  SleepMs(1);
}

void MemoryHost::PushKey(uint8_t code) {
  // Code 0 means "empty slot" and can never be delivered.
  if (code == 0) return;
  std::lock_guard<std::mutex> guard(state_->scriptMutex);
  state_->script.push_back(Input{.key = code});
}

void MemoryHost::PushPress(int32_t x, int32_t y) {
  // As on a window: a press outside the picture never reaches the game.
  if (x < 0 || y < 0 || x >= ClientWidth || y >= ClientHeight) return;
  std::lock_guard<std::mutex> guard(state_->scriptMutex);
  state_->script.push_back(Input{.press = true, .x = int16_t(x), .y = int16_t(y)});
}

void MemoryHost::PushKeys(const std::vector<uint8_t>& codes) {
  for (uint8_t c : codes) PushKey(c);
}

size_t MemoryHost::PendingKeys() const {
  std::lock_guard<std::mutex> guard(state_->scriptMutex);
  return state_->script.size();
}

void MemoryHost::PressKey(uint8_t code) { state_->core.Slot().StoreKey(code); }

void MemoryHost::SetOnKeysExhausted(std::function<void()> handler) {
  state_->onKeysExhausted = handler ? std::move(handler) : [] { throw KeysExhausted{}; };
}

portable::DrawTarget* MemoryHost::Window() { return state_->core.Window(); }
portable::DrawTarget* MemoryHost::BackBuffer() { return state_->core.BackBuffer(); }

portable::PixelSurface MemoryHost::ScreenCopy() { return state_->core.ClientArea(); }

}  // namespace dfx
