#include "host/win32/win32_host.h"

#include <windowsx.h>

namespace dfx {

namespace {

constexpr char ClassName[] = "PROMPT";
// Resource numbers of the system's stock icons and cursor (the A forms, whatever the
// character set the project is built with).
const LPCSTR StockApplicationIcon = MAKEINTRESOURCEA(32512);
const LPCSTR StockWindowsLogoIcon = MAKEINTRESOURCEA(32517);
const LPCSTR StockArrowCursor = MAKEINTRESOURCEA(32512);
constexpr WORD SmallIconResource = 102;

// Wine shows what another thread drew into a window only when the window's own thread
// next wakes up; Windows shows it at once. Under Wine a timer wakes the loop.
constexpr UINT_PTR WineFlushTimer = 1;
constexpr UINT WineFlushMs = 20;

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

Win32Host::Win32Host() : Win32Host([] { ExitProcess(0); }) {}

Win32Host::Win32Host(LoopEnd onLoopEnd) : onLoopEnd_(std::move(onLoopEnd)) {}

Win32Host::~Win32Host() {
  // A host whose loop has ended (only possible with a custom loop end) lets its
  // thread go; a running window thread ends the process on its own.
  if (thread_) CloseHandle(thread_);
}

void Win32Host::StartWindow() {
  ready_.store(0);
  thread_ = CreateThread(nullptr, 0, WindowThread, this, 0, nullptr);
  do {
    Sleep(20);
  } while (ready_.load() == 0);
}

void Win32Host::FinishWindowSetup(const char* title) {
  HWND window = surfaces_.window.load();
  SetWindowTextA(window, title);
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(SmallIconResource));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  LONG style = GetWindowLongA(window, GWL_STYLE);
  SetWindowLongA(window, GWL_STYLE, style & ~LONG(WS_THICKFRAME | WS_MAXIMIZEBOX));
  SetWindowPos(window, HWND_TOP, 0, 0, WindowOuterWidth, WindowOuterHeight, SWP_FRAMECHANGED);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
}

std::unique_ptr<Image> Win32Host::CreateImage() { return std::make_unique<win32::ImageObject>(&surfaces_); }

Input Win32Host::TakeInput() { return slot_.Take(); }

void Win32Host::IdleForKey() { slot_.Wait(100); }

void Win32Host::CopyBackBuffer(HDC target) {
  std::lock_guard<std::mutex> guard(surfaces_.backBufferLock);
  HDC back = surfaces_.backBufferDc.load();
  if (back) BitBlt(target, 0, 0, screenWidth_, screenHeight_, back, 0, 0, SRCCOPY);
}

DWORD WINAPI Win32Host::WindowThread(LPVOID param) {
  auto* host = static_cast<Win32Host*>(param);
  host->screenWidth_ = GetSystemMetrics(SM_CXSCREEN);
  host->screenHeight_ = GetSystemMetrics(SM_CYSCREEN);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, StockApplicationIcon);
  windowClass.hIconSm = LoadIconA(nullptr, StockWindowsLogoIcon);
  windowClass.hCursor = LoadCursorA(nullptr, StockArrowCursor);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = ClassName;
  RegisterClassExA(&windowClass);

  // The host rides along as the creation parameter so the procedure can find it.
  HWND window =
      CreateWindowExA(WS_EX_CLIENTEDGE, ClassName, FirstWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, host);
  host->surfaces_.window.store(window);
  ShowWindow(window, SW_SHOW);
  if (RunningUnderWine()) SetTimer(window, WineFlushTimer, WineFlushMs, nullptr);

  MSG message;
  for (;;) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  host->onLoopEnd_();
  return 0;
}

LRESULT CALLBACK Win32Host::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!host) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_CREATE: {
      HDC windowDc = GetDC(window);
      host->backBuffer_ = CreateCompatibleBitmap(windowDc, host->screenWidth_, host->screenHeight_);
      HDC back = CreateCompatibleDC(windowDc);
      SelectObject(back, host->backBuffer_);
      HGDIOBJ previousBrush = SelectObject(back, GetStockObject(BLACK_BRUSH));
      PatBlt(back, 0, 0, host->screenWidth_, host->screenHeight_, PATCOPY);
      SelectObject(back, previousBrush);
      ReleaseDC(window, windowDc);
      host->surfaces_.backBufferDc.store(back);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      host->CopyBackBuffer(dc);
      EndPaint(window, &paint);
      host->ready_.store(1);
      return 0;
    }
    case WM_KEYDOWN: host->slot_.StoreKey(static_cast<uint8_t>(wParam & 0xFF)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the class asks for double clicks: a quick second click is one too
      // The client area is the picture, pixel for pixel; a press beyond it is no input.
      host->slot_.StorePress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CHAR: return 0;
    case WM_DESTROY: {
      {
        // Drawing checks the handle under this lock, so none lands in a deleted context.
        std::lock_guard<std::mutex> guard(host->surfaces_.backBufferLock);
        DeleteDC(host->surfaces_.backBufferDc.exchange(nullptr));
        DeleteObject(host->backBuffer_);
        host->backBuffer_ = nullptr;
      }
      PostQuitMessage(0);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace dfx
