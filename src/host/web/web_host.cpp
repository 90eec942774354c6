#include "host/web/web_host.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {

using portable::DrawTarget;

struct WebHost::State {
  std::string canvasSelector;
  std::unique_ptr<DrawTarget> window;
  std::unique_ptr<DrawTarget> backBuffer;
  portable::WindowSurfaces surfaces;
  std::vector<uint8_t> rgba = std::vector<uint8_t>(size_t(ClientWidth) * ClientHeight * 4);

  // One thread: these change in browser callbacks while the game sleeps in a wait.
  std::atomic<bool> ready{false};
  InputSlot slot;
  uint32_t keysTaken = 0;
  bool waitingForKey = false;
};

namespace {

// The client area of the back buffer onto the canvas, whose own pixels are 640x204.
void Present(WebHost::State& s) {
  {
    std::lock_guard<std::mutex> guard(s.backBuffer->mutex);
    const portable::PixelSurface& back = s.backBuffer->surface;
    uint8_t* out = s.rgba.data();
    for (int32_t y = 0; y < ClientHeight; ++y) {
      for (int32_t x = 0; x < ClientWidth; ++x, out += 4) {
        const uint32_t c = back.At(x, y);
        out[0] = uint8_t(c >> 16);
        out[1] = uint8_t(c >> 8);
        out[2] = uint8_t(c);
        out[3] = 255;
      }
    }
    s.backBuffer->dirty.store(false);
  }
  EM_ASM(
      {
        var ctx = Module['lcdContext'];
        if (ctx)
          ctx.putImageData(
              new ImageData(new Uint8ClampedArray(HEAPU8.subarray($0, $0 + $1 * $2 * 4)), $1, $2), 0, 0);
      },
      s.rgba.data(), ClientWidth, ClientHeight);
}

// What the page and its tests can see of the key wait.
void PublishKeyState(const WebHost::State& s) {
  EM_ASM(
      {
        Module['keysTaken'] = $0;
        Module['waitingForKey'] = !!$1;
      },
      s.keysTaken, s.waitingForKey);
}

// Every animation frame: the first one is the window's first paint (the ready
// handshake); after that, whatever the game drew since the last frame.
EM_BOOL OnFrame(double, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  if (!s.ready.load()) {
    Present(s);
    s.ready.store(true);
  } else if (s.backBuffer->dirty.load()) {
    Present(s);
  }
  return EM_TRUE;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* e, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  const uint8_t code = VirtualKeyFromWeb(e->key, e->code, e->altKey);
  if (code == 0) return EM_FALSE;
  // Auto-repeat stores again; an unread key is simply replaced.
  s.slot.StoreKey(code);
  // The browser keeps its own shortcuts (Ctrl/Cmd combinations, function keys); the
  // game's keys must not scroll the page or go back in its history.
  const bool browserKey = e->ctrlKey || e->metaKey || (code >= 112 && code <= 135);
  return browserKey ? EM_FALSE : EM_TRUE;
}

}  // namespace

WebHost::WebHost(const char* canvasSelector) : state_(std::make_unique<State>()) {
  state_->canvasSelector = canvasSelector ? canvasSelector : "canvas";
}

WebHost::~WebHost() = default;

void WebHost::StartWindow() {
  State& s = *state_;
  if (s.window) return;
  s.ready.store(false);
  // The back buffer is as large as the screen, as on the other hosts.
  const int32_t screenW = std::clamp(EM_ASM_INT({ return screen.width | 0; }), ClientWidth, 16384);
  const int32_t screenH = std::clamp(EM_ASM_INT({ return screen.height | 0; }), ClientHeight, 16384);
  s.window = std::make_unique<DrawTarget>(ClientWidth, ClientHeight, 0);
  s.backBuffer = std::make_unique<DrawTarget>(screenW, screenH, 0);
  s.surfaces.window = s.window.get();
  s.surfaces.backBuffer = s.backBuffer.get();
  EM_ASM(
      {
        var canvas = document.querySelector(UTF8ToString($0));
        canvas.width = $1;
        canvas.height = $2;
        Module['lcdContext'] = canvas.getContext('2d', {alpha : false});
      },
      s.canvasSelector.c_str(), ClientWidth, ClientHeight);
  PublishKeyState(s);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &s, EM_TRUE, OnKeyDown);
  emscripten_request_animation_frame_loop(OnFrame, &s);
  while (!s.ready.load()) SleepMs(20);
}

void WebHost::FinishWindowSetup(const char* title) { emscripten_set_window_title(title ? title : ""); }

std::unique_ptr<Image> WebHost::CreateImage() {
  return std::make_unique<portable::ImageObject>(&state_->surfaces);
}

Input WebHost::TakeInput() {
  State& s = *state_;
  const Input in = s.slot.Take();
  if (!in.Empty()) {
    ++s.keysTaken;
    s.waitingForKey = false;
    PublishKeyState(s);
  }
  return in;
}

void WebHost::IdleForKey() {
  State& s = *state_;
  if (!s.waitingForKey) {
    // The screen is complete whenever the game waits for a key.
    if (s.backBuffer && s.backBuffer->dirty.load()) Present(s);
    s.waitingForKey = true;
    PublishKeyState(s);
    WaitingForInput();
  }
  SleepMs(1);
}

}  // namespace dfx
