// The Win32 host on a real window: handshake, window class and style, the final
// frame, the back buffer and repaint, the key slot, and the end of the loop.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "host/win32/win32_host.h"
#include "test_pictures.h"

namespace dfx {
namespace {

COLORREF BackBufferPixel(Win32Host& host, int x, int y) { return GetPixel(host.BackBufferDc(), x, y); }

// Redraws the client area from the back buffer now, after painting it over with white
// as if another window had covered it.
void CoverAndUncover(HWND window) {
  HDC dc = GetDC(window);
  PatBlt(dc, 0, 0, 640, 400, WHITENESS);
  ReleaseDC(window, dc);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

COLORREF WindowPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

class Win32HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<Win32Host>([this] { loopEnded_.store(true); });
    host_->StartWindow();
    ASSERT_TRUE(host_->Ready());
    window_ = host_->Window();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(host_->WindowThreadHandle(), 5000);
  }

  std::unique_ptr<Win32Host> host_;
  HWND window_ = nullptr;
  std::atomic<bool> loopEnded_{false};
};

TEST_F(Win32HostTest, TheWindowComesUpAsAPromptWithABlackScreenSizedBackBuffer) {
  char text[64] = {};
  GetClassNameA(window_, text, sizeof text);
  EXPECT_STREQ(text, "PROMPT");
  GetWindowTextA(window_, text, sizeof text);
  EXPECT_STREQ(text, "BASIC PROMPT");
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
  EXPECT_TRUE(IsWindowVisible(window_));

  ASSERT_NE(host_->BackBufferDc(), nullptr);
  EXPECT_EQ(host_->ScreenWidth(), GetSystemMetrics(SM_CXSCREEN));
  BITMAP info{};
  GetObjectA(GetCurrentObject(host_->BackBufferDc(), OBJ_BITMAP), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(info.bmHeight, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(BackBufferPixel(*host_, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(BackBufferPixel(*host_, info.bmWidth - 1, info.bmHeight - 1), RGB(0, 0, 0));
}

TEST_F(Win32HostTest, FinalSetupFixesTheFrameAt650x237InTheCorner) {
  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  char title[64] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(title, "Discoflipparex VZ-T734Taste V2.3D");

  RECT r{};
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 650);
  EXPECT_EQ(r.bottom - r.top, 237);

  LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  // The small icon is the program's own resource 102, not the class's stock one.
  HICON small = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
  EXPECT_NE(small, nullptr);
  EXPECT_NE(small, LoadIconA(nullptr, MAKEINTRESOURCEA(32517)));
}

TEST_F(Win32HostTest, DrawingSurvivesARepaintFromTheBackBuffer) {
  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  portable::PixelSurface pattern = testing::Pattern(24, 32);
  std::string path = testing::TempPath("win_host_pattern.bmp");
  testing::WriteFileBytes(path, testing::BmpBytes(pattern, 24, false));

  std::unique_ptr<Image> image = host_->CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  auto colour = [&](int x, int y) {
    uint32_t p = pattern.At(x, y);
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  };
  ASSERT_NE(colour(5, 7), RGB(0, 0, 0));
  EXPECT_EQ(BackBufferPixel(*host_, 8 + 5, 8 + 7), colour(5, 7));
  EXPECT_EQ(BackBufferPixel(*host_, 31, 39), colour(23, 31));
  EXPECT_EQ(BackBufferPixel(*host_, 32, 39), RGB(0, 0, 0));

  CoverAndUncover(window_);
  EXPECT_EQ(WindowPixel(window_, 8 + 5, 8 + 7), colour(5, 7));
  EXPECT_EQ(WindowPixel(window_, 20, 30), colour(12, 22));
  EXPECT_EQ(WindowPixel(window_, 100, 100), RGB(0, 0, 0));
}

TEST_F(Win32HostTest, TheKeySlotKeepsOnlyTheNewestUnreadKey) {
  EXPECT_EQ(host_->TakeKey(), 0);
  SendMessageA(window_, WM_KEYDOWN, VK_LEFT, 0);
  SendMessageA(window_, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(host_->TakeKey(), VK_RIGHT);
  EXPECT_EQ(host_->TakeKey(), 0);

  SendMessageA(window_, WM_KEYDOWN, 0x1FF, 0);  // only the low byte counts
  EXPECT_EQ(host_->TakeKey(), 0xFF);
  SendMessageA(window_, WM_CHAR, 'r', 0);
  SendMessageA(window_, WM_SYSKEYDOWN, 'R', 0);
  EXPECT_EQ(host_->TakeKey(), 0) << "characters and Alt keys are not stored";

  PostMessageA(window_, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(WaitKey(*host_), 13);
}

TEST_F(Win32HostTest, ClosingTheWindowEndsTheLoopAndRetiresTheBackBuffer) {
  portable::PixelSurface pattern = testing::Pattern(8, 8);
  std::string path = testing::TempPath("win_host_small.bmp");
  testing::WriteFileBytes(path, testing::BmpBytes(pattern, 24, false));
  std::unique_ptr<Image> image = host_->CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();

  PostMessageA(window_, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(host_->WindowThreadHandle(), 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(loopEnded_.load());
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(host_->BackBufferDc(), nullptr);
  // The game thread may still draw after the window is gone: nothing may break.
  image->Draw(8, 8, 0);
}

}  // namespace
}  // namespace dfx
