#include "host/web/web_host.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "host/keys.h"
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
  // The frame loop runs only while the game runs; a waiting game costs the page nothing.
  bool framesRunning = false;
  // A modifier pressed alone reaches the game when it is released; with another key it
  // was part of a shortcut (the browser's zoom, say) and is dropped.
  uint8_t lonelyModifier = 0;
};

namespace {

// Resolves the promise the game awaits in its key wait, if it awaits one.
void WakeGame() {
  EM_ASM({
    if (Module['wakeGame']) Module['wakeGame']();
  });
}

// The key wait: the game's stack is put aside until an input event resolves the promise.
EM_ASYNC_JS(void, AwaitInputEvent, (), {
  await new Promise(function(resolve) { Module['wakeGame'] = resolve; });
  Module['wakeGame'] = null;
});

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

// Every animation frame while the game runs: the first one is the window's first paint
// (the ready handshake); after that, whatever the game drew since the last frame.
EM_BOOL OnFrame(double, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  if (!s.ready.load()) {
    Present(s);
    s.ready.store(true);
  } else if (s.backBuffer->dirty.load()) {
    Present(s);
  }
  s.framesRunning = !s.waitingForKey;
  return s.framesRunning ? EM_TRUE : EM_FALSE;
}

void RunFrames(WebHost::State& s) {
  if (s.framesRunning) return;
  s.framesRunning = true;
  emscripten_request_animation_frame_loop(OnFrame, &s);
}

void Store(WebHost::State& s, uint8_t code) {
  // Auto-repeat stores again; an unread key is simply replaced.
  s.slot.StoreKey(code);
  WakeGame();
}

bool IsModifier(uint8_t code) {
  return code == keys::Shift || code == keys::Control || code == keys::LeftWindows ||
         code == keys::RightWindows;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* e, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  const uint8_t code = VirtualKeyFromWeb(e->key, e->code, e->altKey);
  if (IsModifier(code)) {
    if (!e->repeat) {
      const int held = e->shiftKey + e->ctrlKey + e->metaKey;
      s.lonelyModifier = held <= 1 ? code : 0;
    }
    return EM_FALSE;
  }
  s.lonelyModifier = 0;
  if (code == 0) return EM_FALSE;
  // The browser's own commands (zoom, tabs, reload, full screen: Ctrl/Cmd combinations
  // and the function keys) stay the browser's and never reach the game.
  if (e->ctrlKey || e->metaKey || (code >= keys::Function(1) && code <= keys::Function(24))) return EM_FALSE;
  Store(s, code);
  // The game's keys must not scroll the page or go back in its history.
  return EM_TRUE;
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* e, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  const uint8_t code = VirtualKeyFromWeb(e->key, e->code, e->altKey);
  if (code != 0 && code == s.lonelyModifier) Store(s, code);
  s.lonelyModifier = 0;
  return EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* user) {
  static_cast<WebHost::State*>(user)->lonelyModifier = 0;
  return EM_FALSE;
}

}  // namespace

}  // namespace dfx

// A press of the pointer at (x, y) of the picture, from the page's pointer listener.
extern "C" EMSCRIPTEN_KEEPALIVE void dfx_web_press(dfx::WebHost::State* s, int x, int y) {
  s->slot.StorePress(x, y);
  dfx::WakeGame();
}

namespace dfx {

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
  // A press of the primary button or a touch on the canvas, in picture pixels whatever
  // the canvas's displayed size.
  EM_ASM(
      {
        var canvas = document.querySelector(UTF8ToString($0));
        canvas.width = $1;
        canvas.height = $2;
        Module['lcdContext'] = canvas.getContext('2d', {alpha : false});
        canvas.addEventListener(
            'pointerdown', function(e) {
              if (!e.isPrimary || e.button != 0) return;
              e.preventDefault();
              var r = canvas.getBoundingClientRect();
              var x = Math.floor((e.clientX - r.left) * $1 / r.width);
              var y = Math.floor((e.clientY - r.top) * $2 / r.height);
              Module['_dfx_web_press']($3, x, y);
            });
      },
      s.canvasSelector.c_str(), ClientWidth, ClientHeight, &s);
  PublishKeyState(s);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &s, EM_TRUE, OnKeyDown);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &s, EM_TRUE, OnKeyUp);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &s, EM_TRUE, OnBlur);
  RunFrames(s);
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
    RunFrames(s);
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
  }
  AwaitInputEvent();
}

}  // namespace dfx
