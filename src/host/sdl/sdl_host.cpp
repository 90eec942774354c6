#include "host/sdl/sdl_host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/program_icon.h"
#include "runtime/clock.h"

namespace dfx {

using portable::PixelSurface;

int32_t ZoomForDpi(float dpi, bool dpiCountsBackingScale) {
  // Cocoa's figure counts the backing scale while the window is sized in points: the
  // system doubles it on a Retina screen by itself.
  if (dpiCountsBackingScale || !(dpi > 0)) return 1;
  return std::clamp(int32_t(dpi / 96.0f), 1, MaxZoom);
}

bool IsVirtualVideoDriver(const char* name) {
  for (const char* virtualDriver : {"offscreen", "dummy", "evdev"})
    if (name && SDL_strcasecmp(name, virtualDriver) == 0) return true;
  return !name;
}

struct SdlHost::State {
  ScreenCore core;
  std::atomic<bool> windowRequested{false};
  std::atomic<bool> gameDone{false};
  std::thread gameThread;
  std::atomic<std::thread::id> eventThreadId{};
  std::atomic<std::thread::id> gameThreadId{};

  // Owned by the event thread; the surfaces are read by others only after `ready`.
  SDL_Window* sdlWindow = nullptr;
  SDL_Surface* icon = nullptr;
  int32_t defaultZoom = 1;
  int32_t zoom = 0;    // 0 until the display has been asked
  LcdPlacement shown;  // where the last present put the LCD
  std::vector<uint32_t> zoomed;
  uint32_t wakeEvent = 0;
  // The game is blocked on the input slot: nothing draws until input arrives.
  std::atomic<bool> gameWaiting{false};

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

[[noreturn]] void FailWindow(const std::string& why) {
  // Without a window the game can never start; say why instead of running unseen.
  std::fprintf(stderr, "discoflipparex: cannot open a window: %s\n", why.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

// Whether a driver could reach a display here: Wayland needs its runtime folder (and
// says so on stderr, once per try, when it is missing).
bool DriverMayConnect(const char* name) {
  if (IsVirtualVideoDriver(name)) return false;
  if (SDL_strcasecmp(name, "wayland") != 0) return true;
  const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
  const char* socket = SDL_getenv("WAYLAND_DISPLAY");
  return (runtime && *runtime) || (socket && socket[0] == '/');
}

// Video on a driver that shows a window (unless SDL_VIDEODRIVER asks for another). A
// display may refuse a connection for a moment under load: a few tries over a second.
void StartVideo() {
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (asked && *asked) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) FailWindow(SDL_GetError());
    return;
  }
  const char* display = SDL_getenv("DISPLAY");
  const std::string why = display && *display ? std::string("no display answers at ") + display
                                              : "no display (DISPLAY is not set)";
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (attempt > 0) SDL_Delay(250);
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
      const char* name = SDL_GetVideoDriver(i);
      if (!name || !DriverMayConnect(name)) continue;
      SDL_SetHint(SDL_HINT_VIDEODRIVER, name);
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "");
  }
  FailWindow(why);
}

void Wake(SdlHost::State& s) {
  if (s.wakeEvent == 0 || s.wakeEvent == uint32_t(-1)) return;
  SDL_Event e{};
  e.type = s.wakeEvent;
  SDL_PushEvent(&e);
}

bool IsFullScreen(SDL_Window* window) { return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0; }

// The largest zoom whose window fits the usable part of its display (without panels and
// docks) with its frame, where the system says.
int32_t ZoomCap(SDL_Window* window) {
  const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
    return MaxZoom;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (!window || SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0)
    top = left = bottom = right = 0;
  return FittingZoom(usable.w - left - right, usable.h - top - bottom);
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

int32_t DisplayZoom() {
  float dpi = 0;
  if (SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) != 0) dpi = 0;
  return ZoomForDpi(dpi, SdlDpiCountsBackingScale);
}

// The window's frame, nearest-pixel at an integer zoom: at the top-left in a window,
// centred at the largest zoom that fits in full screen.
void Present(SdlHost::State& s) {
  PixelSurface frame;
  {
    std::lock_guard<std::mutex> guard(s.core.Window()->mutex);
    frame = s.core.Window()->surface;
  }
  int32_t zoom = s.zoom;
  SDL_Surface* target = SDL_GetWindowSurface(s.sdlWindow);
  if (target) {
    s.shown = PlaceLcd(target->w, target->h, s.zoom, IsFullScreen(s.sdlWindow), MaxZoom);
    zoom = s.shown.zoom;
    const int32_t w = std::clamp(target->w - s.shown.left, 0, frame.width * zoom);
    const int32_t h = std::clamp(target->h - s.shown.top, 0, frame.height * zoom);
    if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
    if (w < target->w || h < target->h) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    // One zoomed row, converted once and copied down for the zoom's other rows.
    s.zoomed.resize(size_t(w));
    const int32_t bytes = target->format->BytesPerPixel;
    auto* origin = static_cast<uint8_t*>(target->pixels) + s.shown.top * target->pitch + s.shown.left * bytes;
    for (int32_t y = 0; y < h; y += zoom) {
      for (int32_t x = 0, sx = 0; x < w; ++sx) {
        const uint32_t c = frame.At(sx, y / zoom);
        for (int32_t i = 0; i < zoom && x < w; ++i) s.zoomed[size_t(x++)] = c;
      }
      uint8_t* row = origin + y * target->pitch;
      if (w > 0)
        SDL_ConvertPixels(w, 1, SDL_PIXELFORMAT_RGB888, s.zoomed.data(), w * 4, target->format->format, row,
                          target->pitch);
      for (int32_t r = 1; r < zoom && y + r < h; ++r)
        std::memcpy(row + r * target->pitch, row, size_t(w * bytes));
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
  s.core.Repaint();
  Present(s);
  s.core.MarkReady();
}

void ApplyZoom(SdlHost::State& s, int32_t zoom) {
  s.zoom = std::clamp(zoom, 1, ZoomCap(s.sdlWindow));
  if (!IsFullScreen(s.sdlWindow)) SDL_SetWindowSize(s.sdlWindow, ClientWidth * s.zoom, ClientHeight * s.zoom);
  Repaint(s);
}

// The state is the window's own: the window manager or the system may change it too.
void ToggleFullScreen(SdlHost::State& s) {
  const bool on = !IsFullScreen(s.sdlWindow);
  if (SDL_SetWindowFullscreen(s.sdlWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
  ApplyZoom(s, s.zoom);
}

void CreateWindow(SdlHost::State& s) {
  SDL_DisplayMode mode{};
  int32_t screenW = 1024, screenH = 768;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0)
    screenW = mode.w, screenH = mode.h;
  s.defaultZoom = std::min(DisplayZoom(), ZoomCap(nullptr));
  s.zoom = std::min(s.zoom == 0 ? s.defaultZoom : s.zoom, ZoomCap(nullptr));
  s.sdlWindow = SDL_CreateWindow(FirstWindowTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 ClientWidth * s.zoom, ClientHeight * s.zoom, SDL_WINDOW_SHOWN);
  if (!s.sdlWindow) FailWindow(SDL_GetError());
  // An input method would otherwise take keys such as 1, 2 or R for composition.
  SDL_StopTextInput();
  s.icon = MakeIcon();
  s.core.Open(screenW, screenH);
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
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MOVED: Repaint(s); break;
        default: break;
      }
      break;
    case SDL_KEYDOWN: {
      if (!s.sdlWindow) break;
      const KeyDown key = KeyDownFromSdl(e.key.keysym, e.key.repeat != 0);
      const WindowCommand command = DesktopCommand(key);
      s.core.Keys().Down(GameKey(key), key.repeat, command);
      switch (command) {
        case WindowCommand::ZoomIn: ApplyZoom(s, s.zoom + 1); break;
        case WindowCommand::ZoomOut: ApplyZoom(s, s.zoom - 1); break;
        case WindowCommand::ZoomReset: ApplyZoom(s, s.defaultZoom); break;
        case WindowCommand::ToggleFullScreen:
          if (!e.key.repeat) ToggleFullScreen(s);
          break;
        default: break;
      }
      break;
    }
    case SDL_KEYUP:
      if (s.sdlWindow) s.core.Keys().Up(GameKey(KeyDownFromSdl(e.key.keysym)));
      break;
    case SDL_MOUSEBUTTONDOWN: {
      // A left click (or a tap) on the LCD; on the black around it, nothing.
      int32_t x = 0, y = 0;
      if (s.sdlWindow && e.button.button == SDL_BUTTON_LEFT &&
          s.shown.PictureAt(e.button.x, e.button.y, x, y))
        s.core.Slot().StorePress(x, y);
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
  // The window's class (X11) and app id (Wayland) name the desktop entry's program, so
  // that docks and task bars show the running game under its entry.
  SDL_setenv("SDL_VIDEO_X11_WMCLASS", "discoflipparex", 0);
  SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "discoflipparex", 0);
  SDL_SetHint("SDL_APP_ID", "discoflipparex");
  StartVideo();
  SDL_EnableScreenSaver();
  SDL_StopTextInput();
  s.wakeEvent = SDL_RegisterEvents(1);
  s.gameDone.store(false);
  s.gameThread = std::thread([&s, &game] {
    s.gameThreadId.store(std::this_thread::get_id());
    game();
    s.gameDone.store(true);
    Wake(s);
  });
  while (!s.gameDone.load()) {
    // While the game waits for input nothing draws: sleep until an event comes (the
    // timeout only bounds a draw from elsewhere). Otherwise frames go out promptly.
    const bool idle = s.gameWaiting.load() && !(s.sdlWindow && s.core.Window()->dirty.load());
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, idle ? 500 : 10)) {
      do {
        HandleEvent(s, e);
      } while (SDL_PollEvent(&e));
    }
    if (!s.sdlWindow && s.windowRequested.load()) CreateWindow(s);
    ApplySetup(s);
    if (s.sdlWindow && s.core.Window()->dirty.exchange(false)) Present(s);
  }
  s.gameThread.join();
  s.windowRequested.store(false);
  s.core.Close();
  SDL_FreeSurface(s.icon);
  s.icon = nullptr;
  if (s.sdlWindow) SDL_DestroyWindow(s.sdlWindow);
  s.sdlWindow = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlHost::StartWindow() {
  if (state_->windowRequested.load()) return;
  state_->core.ResetReady();
  state_->windowRequested.store(true);
  Wake(*state_);
  state_->core.WaitReady();
}

void SdlHost::FinishWindowSetup(const char* title) {
  std::unique_lock<std::mutex> guard(state_->setupMutex);
  state_->title = title ? title : "";
  state_->setupRequested = true;
  state_->setupApplied = false;
  if (!state_->windowRequested.load()) return;  // applied once the window exists
  Wake(*state_);
  state_->setupDone.wait(guard, [this] { return state_->setupApplied; });
}

std::unique_ptr<Image> SdlHost::CreateImage() { return state_->core.CreateImage(); }

Input SdlHost::TakeInput() {
  const Input in = state_->core.Slot().Take();
  // The game goes on: the event loop presents its drawing again.
  if (!in.Empty() && state_->gameWaiting.exchange(false)) Wake(*state_);
  return in;
}

void SdlHost::IdleForKey() {
  // The event loop presents what is drawn, then sleeps too.
  if (!state_->gameWaiting.exchange(true)) Wake(*state_);
  state_->core.Slot().Wait(1000);
}

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
  return state_->core.Ready() ? state_->core.BackBuffer() : nullptr;
}

std::thread::id SdlHost::EventThread() { return state_->eventThreadId.load(); }
std::thread::id SdlHost::GameThread() { return state_->gameThreadId.load(); }

}  // namespace dfx
