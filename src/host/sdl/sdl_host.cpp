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

#include "host/program_icon.h"
#include "runtime/clock.h"

namespace dfx {

using portable::PixelSurface;

int32_t FittingZoom(int32_t width, int32_t height) {
  return std::clamp(std::min(width / ClientWidth, height / ClientHeight), 1, MaxZoom);
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
    std::lock_guard<std::mutex> guard(s.core.Window()->mutex);
    frame = s.core.Window()->surface;
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
  s.core.Repaint();
  Present(s);
  s.core.MarkReady();
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
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0)
    screenW = mode.w, screenH = mode.h;
  s.defaultZoom = DisplayZoom(nullptr);
  if (s.zoom == 0) s.zoom = s.defaultZoom;
  s.sdlWindow = SDL_CreateWindow(FirstWindowTitle, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 ClientWidth * s.zoom, ClientHeight * s.zoom, SDL_WINDOW_SHOWN);
  if (!s.sdlWindow) FailWindow("cannot create the window");
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
        case SDL_WINDOWEVENT_SIZE_CHANGED: Repaint(s); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: s.core.Keys().Forget(); break;
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
  state_->core.WaitReady();
}

void SdlHost::FinishWindowSetup(const char* title) {
  std::unique_lock<std::mutex> guard(state_->setupMutex);
  state_->title = title ? title : "";
  state_->setupRequested = true;
  state_->setupApplied = false;
  if (!state_->windowRequested.load()) return;  // applied once the window exists
  state_->setupDone.wait(guard, [this] { return state_->setupApplied; });
}

std::unique_ptr<Image> SdlHost::CreateImage() { return state_->core.CreateImage(); }

Input SdlHost::TakeInput() { return state_->core.Slot().Take(); }

void SdlHost::IdleForKey() { state_->core.Slot().Wait(100); }

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
