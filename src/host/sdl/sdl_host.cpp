#include "host/sdl/sdl_host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/keys.h"
#include "host/program_icon.h"
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
  if ((k >= SDLK_KP_1 && k <= SDLK_KP_9) || k == SDLK_KP_0 || k == SDLK_KP_PERIOD) {
    // As on Windows: digits with Num Lock on, the keys printed under them with it off.
    constexpr uint8_t NumLockOff[10] = {keys::Insert, keys::End,   keys::Down, keys::PageDown, keys::Left,
                                        keys::Clear,  keys::Right, keys::Home, keys::Up,       keys::PageUp};
    const int digit = k == SDLK_KP_0 ? 0 : k == SDLK_KP_PERIOD ? -1 : int(k - SDLK_KP_1) + 1;
    if (key.mod & KMOD_NUM) return digit < 0 ? keys::Decimal : keys::Numpad(digit);
    return digit < 0 ? keys::Delete : NumLockOff[digit];
  }
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
    case SDLK_KP_MULTIPLY: return keys::Multiply;
    case SDLK_KP_PLUS: return keys::Add;
    case SDLK_KP_MINUS: return keys::Subtract;
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

WindowCommand WindowCommandFromSdl(const SDL_Keysym& key) {
  const SDL_Keycode k = key.sym;
  const bool alt = key.mod & KMOD_ALT, ctrl = key.mod & KMOD_CTRL;
  if (k == SDLK_F11 || (alt && (k == SDLK_RETURN || k == SDLK_KP_ENTER)))
    return WindowCommand::ToggleFullScreen;
  if (!ctrl || alt) return WindowCommand::None;
  // Plus is Shift+Equals on many layouts; Ctrl+Equals counts as Ctrl+Plus.
  if (k == SDLK_PLUS || k == SDLK_EQUALS || k == SDLK_KP_PLUS) return WindowCommand::ZoomIn;
  if (k == SDLK_MINUS || k == SDLK_KP_MINUS) return WindowCommand::ZoomOut;
  if (k == SDLK_0 || k == SDLK_KP_0) return WindowCommand::ZoomReset;
  return WindowCommand::None;
}

int32_t FittingZoom(int32_t width, int32_t height) {
  return std::clamp(std::min(width / ClientWidth, height / ClientHeight), 1, MaxZoom);
}

struct SdlHost::State {
  std::atomic<bool> ready{false};
  std::atomic<bool> windowRequested{false};
  std::atomic<bool> gameDone{false};
  InputSlot slot;
  std::thread gameThread;
  std::atomic<std::thread::id> eventThreadId{};
  std::atomic<std::thread::id> gameThreadId{};

  // Owned by the event thread; the surfaces are read by others only after `ready`.
  SDL_Window* sdlWindow = nullptr;
  SDL_Surface* icon = nullptr;
  std::unique_ptr<DrawTarget> window;
  std::unique_ptr<DrawTarget> backBuffer;
  portable::WindowSurfaces surfaces;
  int32_t defaultZoom = 1;
  int32_t zoom = 0;  // 0 until the display has been asked
  bool fullScreen = false;
  std::vector<uint32_t> zoomed;

  std::mutex setupMutex;
  std::condition_variable setupDone;
  bool setupRequested = false;
  bool setupApplied = false;
  std::string title;

  std::mutex presentedMutex;
  PixelSurface presented;
  uint64_t presentCount = 0;
  int32_t presentedZoom = 0;
};

namespace {

[[noreturn]] void FailWindow(const char* what) {
  // Without a window the game can never start; say why instead of waiting for ever.
  std::fprintf(stderr, "discoflipparex: %s: %s\n", what, SDL_GetError());
  std::fflush(stderr);
  std::_Exit(1);
}

// The program's 32x32 icon, the picture of the Windows one.
SDL_Surface* MakeIcon() {
  constexpr int Size = 32;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, Size, Size, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return nullptr;
  const std::vector<uint8_t> picture = DrawProgramIcon(Size);
  for (int y = 0; y < Size; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < Size; ++x) {
      const uint8_t* bgr = IconPalette[picture[size_t(y * Size + x)]];
      row[x] = 0xFF000000u | uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
    }
  }
  return icon;
}

// A high-density display's scale factor, rounded down, from its dots per inch.
int32_t DisplayZoom(SDL_Window* window) {
  float dpi = 0;
  const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
  if (SDL_GetDisplayDPI(display < 0 ? 0 : display, &dpi, nullptr, nullptr) != 0 || !(dpi > 0)) return 1;
  return std::clamp(int32_t(dpi / 96.0f), 1, MaxZoom);
}

// The window's frame, nearest-pixel at an integer zoom: at the top-left in a window,
// centred at the largest zoom that fits in full screen.
void Present(SdlHost::State& s) {
  PixelSurface frame;
  {
    std::lock_guard<std::mutex> guard(s.window->mutex);
    frame = s.window->surface;
  }
  int32_t zoom = s.zoom;
  SDL_Surface* target = SDL_GetWindowSurface(s.sdlWindow);
  if (target) {
    int32_t ox = 0, oy = 0;
    if (s.fullScreen) {
      zoom = FittingZoom(target->w, target->h);
      ox = std::max(0, (target->w - frame.width * zoom) / 2);
      oy = std::max(0, (target->h - frame.height * zoom) / 2);
    }
    const int32_t w = std::min(target->w - ox, frame.width * zoom);
    const int32_t h = std::min(target->h - oy, frame.height * zoom);
    s.zoomed.resize(size_t(std::max(w, 0)) * size_t(std::max(h, 0)));
    for (int32_t y = 0; y < h; ++y) {
      uint32_t* row = s.zoomed.data() + size_t(y) * size_t(w);
      for (int32_t x = 0; x < w; ++x) row[x] = frame.At(x / zoom, y / zoom);
    }
    if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
    if (w < target->w || h < target->h) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    if (w > 0 && h > 0) {
      auto* at =
          static_cast<uint8_t*>(target->pixels) + oy * target->pitch + ox * target->format->BytesPerPixel;
      SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, s.zoomed.data(), w * 4, target->format->format, at,
                        target->pitch);
    }
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    SDL_UpdateWindowSurface(s.sdlWindow);
  }
  std::lock_guard<std::mutex> guard(s.presentedMutex);
  s.presented = std::move(frame);
  s.presentedZoom = zoom;
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
      for (int32_t x = 0; x < win.width; ++x)
        win.At(x, y) = (x < back.width && y < back.height) ? back.At(x, y) : 0;
    }
    s.window->dirty.store(false);
  }
  Present(s);
  s.ready.store(true);
}

void ApplyZoom(SdlHost::State& s, int32_t zoom) {
  s.zoom = std::clamp(zoom, 1, MaxZoom);
  if (!s.fullScreen) SDL_SetWindowSize(s.sdlWindow, ClientWidth * s.zoom, ClientHeight * s.zoom);
  Repaint(s);
}

void ToggleFullScreen(SdlHost::State& s) {
  s.fullScreen = !s.fullScreen;
  SDL_SetWindowFullscreen(s.sdlWindow, s.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  ApplyZoom(s, s.zoom);
}

void CreateWindow(SdlHost::State& s) {
  SDL_DisplayMode mode{};
  int32_t screenW = 1024, screenH = 768;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    screenW = std::min(mode.w, 16384);
    screenH = std::min(mode.h, 16384);
  }
  s.defaultZoom = DisplayZoom(nullptr);
  if (s.zoom == 0) s.zoom = s.defaultZoom;
  s.sdlWindow = SDL_CreateWindow(FirstWindowTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 ClientWidth * s.zoom, ClientHeight * s.zoom, SDL_WINDOW_SHOWN);
  if (!s.sdlWindow) FailWindow("cannot create the window");
  // An input method would otherwise take keys such as 1, 2 or R for composition.
  SDL_StopTextInput();
  s.icon = MakeIcon();
  s.window = std::make_unique<DrawTarget>(ClientWidth, ClientHeight, 0);
  s.backBuffer =
      std::make_unique<DrawTarget>(std::max(screenW, ClientWidth), std::max(screenH, ClientHeight), 0);
  s.surfaces.window = s.window.get();
  s.surfaces.backBuffer = s.backBuffer.get();
  Repaint(s);
}

void ApplySetup(SdlHost::State& s) {
  std::lock_guard<std::mutex> guard(s.setupMutex);
  if (!s.setupRequested || !s.sdlWindow) return;
  SDL_SetWindowTitle(s.sdlWindow, s.title.c_str());
  if (s.icon) SDL_SetWindowIcon(s.sdlWindow, s.icon);
  SDL_SetWindowResizable(s.sdlWindow, SDL_FALSE);
  SDL_SetWindowPosition(s.sdlWindow, 0, 0);
  s.setupRequested = false;
  s.setupApplied = true;
  s.setupDone.notify_all();
}

[[noreturn]] void CloseAndExit() {
  // SDL stays up: the game thread may be inside it (SDL_image), and the process ends
  // wherever that thread is.
  std::fflush(stdout);
  std::_Exit(0);
}

void HandleEvent(SdlHost::State& s, const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: CloseAndExit();
    case SDL_WINDOWEVENT:
      if (!s.sdlWindow) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: CloseAndExit();
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: Repaint(s); break;
        default: break;
      }
      break;
    case SDL_KEYDOWN: {
      if (!s.sdlWindow) break;
      switch (WindowCommandFromSdl(e.key.keysym)) {
        case WindowCommand::ZoomIn: ApplyZoom(s, s.zoom + 1); break;
        case WindowCommand::ZoomOut: ApplyZoom(s, s.zoom - 1); break;
        case WindowCommand::ZoomReset: ApplyZoom(s, s.defaultZoom); break;
        case WindowCommand::ToggleFullScreen:
          if (!e.key.repeat) ToggleFullScreen(s);
          break;
        case WindowCommand::None:
          // Auto-repeat stores again; an unread key is simply replaced.
          s.slot.StoreKey(VirtualKeyFromSdl(e.key.keysym));
          break;
      }
      break;
    }
    default: break;
  }
}

}  // namespace

SdlHost::SdlHost(int32_t zoom) : state_(std::make_unique<State>()) {
  state_->zoom = std::clamp(zoom, 0, MaxZoom);
}

SdlHost::~SdlHost() {
  if (state_->gameThread.joinable()) state_->gameThread.join();
  SDL_Quit();
}

void SdlHost::Run(const std::function<void()>& game) {
  State& s = *state_;
  s.eventThreadId.store(std::this_thread::get_id());
  // SDL keeps the screen saver and screen lock off unless told otherwise.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) FailWindow("cannot start video");
  SDL_EnableScreenSaver();
  SDL_StopTextInput();
  s.gameDone.store(false);
  s.gameThread = std::thread([&s, &game] {
    s.gameThreadId.store(std::this_thread::get_id());
    game();
    s.gameDone.store(true);
  });
  while (!s.gameDone.load()) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 10)) {
      do {
        HandleEvent(s, e);
      } while (SDL_PollEvent(&e));
    }
    if (!s.sdlWindow && s.windowRequested.load()) CreateWindow(s);
    ApplySetup(s);
    if (s.sdlWindow && s.window->dirty.exchange(false)) Present(s);
  }
  s.gameThread.join();
  s.ready.store(false);
  s.windowRequested.store(false);
  s.surfaces = {};
  s.window.reset();
  s.backBuffer.reset();
  SDL_FreeSurface(s.icon);
  s.icon = nullptr;
  if (s.sdlWindow) SDL_DestroyWindow(s.sdlWindow);
  s.sdlWindow = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlHost::StartWindow() {
  if (state_->windowRequested.load()) return;
  state_->ready.store(false);
  state_->windowRequested.store(true);
  while (!state_->ready.load()) SleepMs(20);
}

void SdlHost::FinishWindowSetup(const char* title) {
  std::unique_lock<std::mutex> guard(state_->setupMutex);
  state_->title = title ? title : "";
  state_->setupRequested = true;
  state_->setupApplied = false;
  if (!state_->windowRequested.load()) return;  // applied once the window exists
  state_->setupDone.wait(guard, [this] { return state_->setupApplied; });
}

std::unique_ptr<Image> SdlHost::CreateImage() {
  return std::make_unique<portable::ImageObject>(&state_->surfaces);
}

Input SdlHost::TakeInput() { return state_->slot.Take(); }

void SdlHost::IdleForKey() { state_->slot.Wait(100); }

PixelSurface SdlHost::PresentedFrame() {
  std::lock_guard<std::mutex> guard(state_->presentedMutex);
  return state_->presented;
}

uint64_t SdlHost::PresentCount() {
  std::lock_guard<std::mutex> guard(state_->presentedMutex);
  return state_->presentCount;
}

int32_t SdlHost::PresentedZoom() {
  std::lock_guard<std::mutex> guard(state_->presentedMutex);
  return state_->presentedZoom;
}

portable::DrawTarget* SdlHost::BackBuffer() {
  return state_->ready.load() ? state_->backBuffer.get() : nullptr;
}

std::thread::id SdlHost::EventThread() { return state_->eventThreadId.load(); }
std::thread::id SdlHost::GameThread() { return state_->gameThreadId.load(); }

}  // namespace dfx
