// The Win32 host: the window thread with class "PROMPT", its message loop and window
// procedure, the screen-sized GDI back buffer that every paint copies from, the ready
// flag of the start-up handshake and the one-byte key slot filled by WM_KEYDOWN.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "host/host.h"
#include "image/win32/image_object.h"

namespace dfx {

class Win32Host : public Host {
 public:
  // What runs when the message loop ends; the program ends the process with code 0.
  using LoopEnd = std::function<void()>;
  Win32Host();
  explicit Win32Host(LoopEnd onLoopEnd);
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;
  ~Win32Host() override;

  void StartWindow() override;
  void FinishWindowSetup(const char* title) override;
  std::unique_ptr<Image> CreateImage() override;
  Input TakeInput() override;
  void IdleForKey() override;

  HWND Window() const { return surfaces_.window.load(); }
  HDC BackBufferDc() const { return surfaces_.backBufferDc.load(); }
  int32_t ScreenWidth() const { return screenWidth_; }
  int32_t ScreenHeight() const { return screenHeight_; }
  bool Ready() const { return ready_.load() != 0; }
  // The window thread, for a caller that closed the window and waits for the loop's end.
  HANDLE WindowThreadHandle() const { return thread_; }

  // Copies the back buffer to the window the way a paint does, holding the same lock
  // the drawing takes.
  void CopyBackBuffer(HDC target);

 private:
  static DWORD WINAPI WindowThread(LPVOID param);
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  win32::WindowSurfaces surfaces_;
  std::atomic<int32_t> ready_{0};
  InputSlot slot_;
  HBITMAP backBuffer_ = nullptr;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  HANDLE thread_ = nullptr;
  LoopEnd onLoopEnd_;
};

}  // namespace dfx
