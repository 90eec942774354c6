// The Win32 host's real window through its life: the first window and back buffer, the
// key slot, the final frame and the icon, repaint from the back buffer, and the end of the loop.
#include <gtest/gtest.h>

#include <atomic>

#include "host/win32/win32_host.h"
#include "test_pictures.h"

namespace dfx {
namespace {

TEST(Win32Host, APromptWithABackBufferAndKeySlotUntilTheFinalFrameIsRepaintedAndClosed) {
  std::atomic<bool> loopEnded{false};
  Win32Host host([&] { loopEnded.store(true); });
  host.StartWindow();
  const HWND window = host.Window();
  ASSERT_NE(window, nullptr);
  char text[64] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "BASIC PROMPT");
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
  BITMAP info{};  // black and as large as the screen
  GetObjectA(GetCurrentObject(host.BackBufferDc(), OBJ_BITMAP), sizeof info, &info);
  EXPECT_EQ(std::pair(int(info.bmWidth), int(info.bmHeight)),
            std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(GetPixel(host.BackBufferDc(), info.bmWidth - 1, info.bmHeight - 1), RGB(0, 0, 0));

  // The slot keeps the low byte of the newest unread key down; no characters or Alt keys.
  // (Taking clears the shared slot, and keys reaching a waiting game are the whole-game test's.)
  for (auto [message, key] :
       {std::pair{WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, 0x1FF}, {WM_CHAR, 'r'}, {WM_SYSKEYDOWN, 'R'}})
    SendMessageA(window, message, key, 0);
  EXPECT_EQ(host.TakeKey(), 0xFF);

  // The small icon is the program's own resource, not the class's stock one; Wine
  // answers WM_GETICON only within the window's own process.
  host.FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  // The final frame: class, place and outer size, only a minimise box, the sunken client edge.
  char name[16] = {};
  RECT r{};
  GetClassNameA(window, name, sizeof name);
  GetWindowRect(window, &r);
  const LONG boxes = GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX);
  EXPECT_EQ(
      std::tuple(std::string(name), r.left, r.top, r.right - r.left, r.bottom - r.top, boxes,
                 GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE),
      std::tuple(std::string("PROMPT"), 0L, 0L, 650L, 237L, LONG(WS_MINIMIZEBOX), LONG(WS_EX_CLIENTEDGE)));
  const auto small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
  EXPECT_NE(small, nullptr);
  EXPECT_NE(small, LoadIconA(nullptr, MAKEINTRESOURCEA(32517)));

  // The 24x32 test pattern drawn at (8, 8) survives the window covered and repainted.
  const portable::PixelSurface pattern = testing::Pattern(24, 32);
  auto expectPattern = [&](HDC dc, int x, int y) {  // the window thread repaints: wait until it shows
    const uint32_t p = pattern.At(x, y), want = RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
    for (int i = 0; i < 500 && GetPixel(dc, 8 + x, 8 + y) != want; ++i) Sleep(10);
    EXPECT_EQ(GetPixel(dc, 8 + x, 8 + y), want) << x << "," << y;
  };
  const std::string path = testing::TempPath("win_host_pattern.bmp");
  testing::WriteFileBytes(path, testing::BmpBytes(pattern, 24, false));
  const std::unique_ptr<Image> image = host.CreateImage();
  EXPECT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  expectPattern(host.BackBufferDc(), 23, 31);
  HDC dc = GetDC(window);
  PatBlt(dc, 0, 0, 640, 400, WHITENESS);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  expectPattern(dc, 5, 7);
  EXPECT_EQ(GetPixel(dc, 100, 100), RGB(0, 0, 0));
  ReleaseDC(window, dc);

  // Closing ends the loop and retires the back buffer; the game thread may still draw.
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(host.WindowThreadHandle(), 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(loopEnded.load());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(host.BackBufferDc(), nullptr);
  image->Draw(8, 8, 0);
}

}  // namespace
}  // namespace dfx
