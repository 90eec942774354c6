#include "host/sdl/sdl_host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "host/keys.h"
#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {

using portable::DrawTarget;
using portable::PixelSurface;

uint8_t VirtualKeyFromSdl(const SDL_Keysym& key) {
  if (key.mod & KMOD_ALT) return 0;
  const SDL_Keycode k = key.sym;
  if (k >= SDLK_a && k <= SDLK_z) return keys::Letter(char('A' + (k - SDLK_a)));
  if (k >= SDLK_0 && k <= SDLK_9) return keys::Digit(k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return k == SDLK_F10 ? 0 : keys::Function(1 + (k - SDLK_F1));
  if (k >= SDLK_F13 && k <= SDLK_F24) return keys::Function(13 + (k - SDLK_F13));
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return keys::Numpad(1 + (k - SDLK_KP_1));
  switch (k) {
    case SDLK_BACKSPACE: return keys::Back;
    case SDLK_TAB: return keys::Tab;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return keys::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return keys::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return keys::Control;
    case SDLK_PAUSE: return keys::Pause;
    case SDLK_CAPSLOCK: return keys::CapsLock;
    case SDLK_ESCAPE: return keys::Escape;
    case SDLK_SPACE: return keys::Space;
    case SDLK_PAGEUP: return keys::PageUp;
    case SDLK_PAGEDOWN: return keys::PageDown;
    case SDLK_END: return keys::End;
    case SDLK_HOME: return keys::Home;
    case SDLK_LEFT: return keys::Left;
    case SDLK_UP: return keys::Up;
    case SDLK_RIGHT: return keys::Right;
    case SDLK_DOWN: return keys::Down;
    case SDLK_PRINTSCREEN: return keys::PrintScreen;
    case SDLK_INSERT: return keys::Insert;
    case SDLK_DELETE: return keys::Delete;
    case SDLK_LGUI: return keys::LeftWindows;
    case SDLK_RGUI: return keys::RightWindows;
    case SDLK_APPLICATION: return keys::Apps;
    case SDLK_KP_0: return keys::Numpad0;
    case SDLK_KP_MULTIPLY: return keys::Multiply;
    case SDLK_KP_PLUS: return keys::Add;
    case SDLK_KP_MINUS: return keys::Subtract;
    case SDLK_KP_PERIOD: return keys::Decimal;
    case SDLK_KP_DIVIDE: return keys::Divide;
    case SDLK_NUMLOCKCLEAR: return keys::NumLock;
    case SDLK_SCROLLLOCK: return keys::ScrollLock;
    case SDLK_SEMICOLON: return keys::Semicolon;
    case SDLK_EQUALS: return keys::Equals;
    case SDLK_COMMA: return keys::Comma;
    case SDLK_MINUS: return keys::Minus;
    case SDLK_PERIOD: return keys::Period;
    case SDLK_SLASH: return keys::Slash;
    case SDLK_BACKQUOTE: return keys::Backquote;
    case SDLK_LEFTBRACKET: return keys::LeftBracket;
    case SDLK_BACKSLASH: return keys::Backslash;
    case SDLK_RIGHTBRACKET: return keys::RightBracket;
    case SDLK_QUOTE: return keys::Quote;
    default: break;
  }
  // Layouts whose letter keys produce other characters still give the key's letter.
  const SDL_Scancode s = key.scancode;
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return keys::Letter(char('A' + (s - SDL_SCANCODE_A)));
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return keys::Digit(1 + (s - SDL_SCANCODE_1));
  if (s == SDL_SCANCODE_0) return keys::Digit0;
  return 0;
}

struct SdlHost::State {
  std::thread windowThread;
  std::atomic<bool> ready{false};
  std::atomic<bool> stop{false};
  std::atomic<uint8_t> keySlot{0};

  // Made by the window thread before the first paint; read by others only after
  // they have seen `ready`.
  SDL_Window* sdlWindow = nullptr;
  SDL_Surface* icon = nullptr;
  std::unique_ptr<DrawTarget> window;
  std::unique_ptr<DrawTarget> backBuffer;
  portable::WindowSurfaces surfaces;

  std::mutex setupMutex;
  std::condition_variable setupDone;
  bool setupRequested = false;
  bool setupApplied = false;
  std::string title;

  std::mutex presentedMutex;
  PixelSurface presented;
  uint64_t presentCount = 0;
};

namespace {

[[noreturn]] void FailWindow(const char* what) {
  // Without a window the game can never start; say why instead of waiting for ever.
  std::fprintf(stderr, "discoflipparex: %s: %s\n", what, SDL_GetError());
  std::fflush(stderr);
  std::_Exit(1);
}

// A small board square with a black disc on it, white-rimmed like a Reversi piece.
SDL_Surface* MakeIcon() {
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return nullptr;
  for (int y = 0; y < 16; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < 16; ++x) {
      const double dx = x - 7.5, dy = y - 7.5;
      const double r2 = dx * dx + dy * dy;
      uint32_t c = 0xFF1E7B32;              // board green
      if (r2 <= 6.6 * 6.6) c = 0xFFF0F0F0;  // rim
      if (r2 <= 5.4 * 5.4) c = 0xFF101010;  // disc
      if (x == 0 || y == 0 || x == 15 || y == 15) c = 0xFF0B3D18;
      row[x] = c;
    }
  }
  return icon;
}

void Present(SdlHost::State& s) {
  PixelSurface frame;
  {
    std::lock_guard<std::mutex> guard(s.window->mutex);
    frame = s.window->surface;
  }
  SDL_Surface* target = SDL_GetWindowSurface(s.sdlWindow);
  if (target) {
    const int w = std::min(target->w, frame.width);
    const int h = std::min(target->h, frame.height);
    if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, frame.pixels.data(), frame.width * 4, target->format->format,
                      target->pixels, target->pitch);
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    SDL_UpdateWindowSurface(s.sdlWindow);
  }
  std::lock_guard<std::mutex> guard(s.presentedMutex);
  s.presented = std::move(frame);
  ++s.presentCount;
}

// What a paint does: the window shows the back buffer again, whatever it lost.
void Repaint(SdlHost::State& s) {
  {
    std::lock_guard<std::mutex> backGuard(s.backBuffer->mutex);
    std::lock_guard<std::mutex> windowGuard(s.window->mutex);
    const PixelSurface& back = s.backBuffer->surface;
    PixelSurface& win = s.window->surface;
    for (int32_t y = 0; y < win.height; ++y) {
      for (int32_t x = 0; x < win.width; ++x) win.At(x, y) = (x < back.width && y < back.height) ? back.At(x, y) : 0;
    }
    s.window->dirty.store(false);
  }
  Present(s);
  s.ready.store(true);
}

void ApplySetup(SdlHost::State& s) {
  std::lock_guard<std::mutex> guard(s.setupMutex);
  if (!s.setupRequested) return;
  SDL_SetWindowTitle(s.sdlWindow, s.title.c_str());
  if (s.icon) SDL_SetWindowIcon(s.sdlWindow, s.icon);
  SDL_SetWindowResizable(s.sdlWindow, SDL_FALSE);
  SDL_SetWindowPosition(s.sdlWindow, 0, 0);
  s.setupRequested = false;
  s.setupApplied = true;
  s.setupDone.notify_all();
}

[[noreturn]] void CloseAndExit(SdlHost::State& s) {
  SDL_DestroyWindow(s.sdlWindow);
  SDL_Quit();
  // The game thread is not told: the process ends wherever it is.
  std::_Exit(0);
}

void HandleEvent(SdlHost::State& s, const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: CloseAndExit(s);
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: CloseAndExit(s);
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: Repaint(s); break;
        default: break;
      }
      break;
    case SDL_KEYDOWN:
      // Auto-repeat stores again; an unread key is simply replaced.
      if (uint8_t code = VirtualKeyFromSdl(e.key.keysym)) s.keySlot.store(code);
      break;
    default: break;
  }
}

void WindowThread(SdlHost::State* state) {
  SdlHost::State& s = *state;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) FailWindow("cannot start video");
  SDL_DisplayMode mode{};
  int32_t screenW = 1024, screenH = 768;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    screenW = std::min(mode.w, 16384);
    screenH = std::min(mode.h, 16384);
  }
  s.sdlWindow = SDL_CreateWindow(FirstWindowTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ClientWidth,
                                 ClientHeight, SDL_WINDOW_SHOWN);
  if (!s.sdlWindow) FailWindow("cannot create the window");
  s.icon = MakeIcon();
  s.window = std::make_unique<DrawTarget>(ClientWidth, ClientHeight, 0);
  s.backBuffer = std::make_unique<DrawTarget>(std::max(screenW, ClientWidth), std::max(screenH, ClientHeight), 0);
  s.surfaces.window = s.window.get();
  s.surfaces.backBuffer = s.backBuffer.get();
  Repaint(s);

  while (!s.stop.load()) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 10)) {
      do {
        HandleEvent(s, e);
      } while (SDL_PollEvent(&e));
    }
    ApplySetup(s);
    if (s.window->dirty.exchange(false)) Present(s);
  }
  SDL_FreeSurface(s.icon);
  SDL_DestroyWindow(s.sdlWindow);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  // SDL keeps per-thread data for threads it did not create; free ours.
  SDL_TLSCleanup();
}

}  // namespace

SdlHost::SdlHost() : state_(std::make_unique<State>()) {}

SdlHost::~SdlHost() {
  if (state_->windowThread.joinable()) {
    state_->stop.store(true);
    state_->windowThread.join();
  }
  SDL_Quit();
}

void SdlHost::StartWindow() {
  if (state_->windowThread.joinable()) return;
  state_->ready.store(false);
  state_->windowThread = std::thread(WindowThread, state_.get());
  while (!state_->ready.load()) SleepMs(20);
}

void SdlHost::FinishWindowSetup(const char* title) {
  std::unique_lock<std::mutex> guard(state_->setupMutex);
  state_->title = title ? title : "";
  state_->setupRequested = true;
  state_->setupApplied = false;
  if (!state_->windowThread.joinable()) return;  // applied once the window exists
  state_->setupDone.wait(guard, [this] { return state_->setupApplied; });
}

std::unique_ptr<Image> SdlHost::CreateImage() { return std::make_unique<portable::ImageObject>(&state_->surfaces); }

uint8_t SdlHost::TakeKey() { return state_->keySlot.exchange(0); }

void SdlHost::IdleForKey() { SleepMs(1); }

PixelSurface SdlHost::PresentedFrame() {
  std::lock_guard<std::mutex> guard(state_->presentedMutex);
  return state_->presented;
}

uint64_t SdlHost::PresentCount() {
  std::lock_guard<std::mutex> guard(state_->presentedMutex);
  return state_->presentCount;
}

portable::DrawTarget* SdlHost::BackBuffer() { return state_->ready.load() ? state_->backBuffer.get() : nullptr; }

}  // namespace dfx
