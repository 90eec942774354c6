#include "host/web/web_host.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>
#include <vector>

#include "host/keys.h"
#include "host/screen_core.h"
#include "host/web/web_keys.h"

namespace dfx {

struct WebHost::State {
  std::string canvasSelector;
  ScreenCore core;
  std::vector<uint8_t> rgba = std::vector<uint8_t>(size_t(ClientWidth) * ClientHeight * 4);

  // One thread: these change in browser callbacks while the game sleeps in a wait.
  uint32_t keysTaken = 0;
  bool waitingForKey = false;
  // The frame loop runs only while the game runs; a waiting game costs the page nothing.
  bool framesRunning = false;
  // Command (the Windows key) makes the browser's shortcuts on a Mac: like Ctrl it is held
  // back until released with no other key pressed meanwhile.
  uint8_t metaAlone = 0;
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
  uint8_t* out = s.rgba.data();
  for (const uint32_t c : s.core.ClientArea(true).pixels) {
    out[0] = uint8_t(c >> 16);
    out[1] = uint8_t(c >> 8);
    out[2] = uint8_t(c);
    out[3] = 255;
    out += 4;
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
  if (!s.core.Ready()) {
    Present(s);
    s.core.MarkReady();
  } else if (s.core.BackBuffer()->dirty.load()) {
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

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* e, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  const KeyDown key = KeyDownFromWeb(e->key, e->code, e->altKey, e->ctrlKey, e->metaKey, e->repeat);
  const WindowCommand command = PageCommand(key);
  const uint8_t code = GameKey(key);
  if (code == keys::LeftWindows || code == keys::RightWindows) {
    if (!key.repeat) s.metaAlone = code;
    return EM_FALSE;
  }
  s.metaAlone = 0;
  s.core.Keys().Down(code, key.repeat, command);
  WakeGame();
  // The browser keeps its commands; the game's keys must not scroll the page or go back
  // in its history.
  return command == WindowCommand::None && code != 0 ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* e, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  const uint8_t code = GameKey(KeyDownFromWeb(e->key, e->code, e->altKey));
  if (code != 0 && code == s.metaAlone) s.core.Slot().StoreKey(code);
  s.metaAlone = 0;
  s.core.Keys().Up(code);
  WakeGame();
  return EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* user) {
  auto& s = *static_cast<WebHost::State*>(user);
  s.core.Keys().Forget();
  s.metaAlone = 0;
  return EM_FALSE;
}

}  // namespace

}  // namespace dfx

// A press of the pointer at (x, y) of the picture, from the page's pointer listener.
extern "C" EMSCRIPTEN_KEEPALIVE void dfx_web_press(dfx::WebHost::State* s, int x, int y) {
  s->core.Slot().StorePress(x, y);
  dfx::WakeGame();
}

namespace dfx {

WebHost::WebHost(const char* canvasSelector) : state_(std::make_unique<State>()) {
  state_->canvasSelector = canvasSelector ? canvasSelector : "canvas";
}

WebHost::~WebHost() = default;

void WebHost::StartWindow() {
  State& s = *state_;
  if (s.core.IsOpen()) return;
  s.core.ResetReady();
  // The back buffer is as large as the screen, as on the other hosts.
  s.core.Open(EM_ASM_INT({ return screen.width | 0; }), EM_ASM_INT({ return screen.height | 0; }));
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
  s.core.WaitReady();
}

void WebHost::FinishWindowSetup(const char* title) { emscripten_set_window_title(title ? title : ""); }

std::unique_ptr<Image> WebHost::CreateImage() { return state_->core.CreateImage(); }

Input WebHost::TakeInput() {
  State& s = *state_;
  const Input in = s.core.Slot().Take();
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
    if (s.core.IsOpen() && s.core.BackBuffer()->dirty.load()) Present(s);
    s.waitingForKey = true;
    PublishKeyState(s);
    WaitingForInput();
  }
  AwaitInputEvent();
}

}  // namespace dfx
