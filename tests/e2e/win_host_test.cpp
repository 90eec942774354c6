// The Win32 host on a real window: handshake, window class and style, the final
// frame, the back buffer and repaint, the key slot, and the end of the loop.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "host/win32/win32_host.h"
#include "test_pictures.h"

namespace dfx {
namespace {

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
  std::string Text() {
    char text[64] = {};
    GetWindowTextA(window_, text, sizeof text);
    return text;
  }
  // A bound image of the 24x32 test pattern, drawn at (8, 8).
  std::unique_ptr<Image> DrawPattern() {
    const std::string path = testing::TempPath("win_host_pattern.bmp");
    testing::WriteFileBytes(path, testing::BmpBytes(pattern_, 24, false));
    std::unique_ptr<Image> image = host_->CreateImage();
    EXPECT_EQ(image->Load(path.c_str()), 1);
    image->BindToWindow();
    EXPECT_NE(image->Draw(8, 8, 0), 0);
    return image;
  }
  COLORREF Colour(int x, int y) const {
    const uint32_t p = pattern_.At(x, y);
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }

  std::unique_ptr<Win32Host> host_;
  HWND window_ = nullptr;
  std::atomic<bool> loopEnded_{false};
  const portable::PixelSurface pattern_ = testing::Pattern(24, 32);
};

TEST_F(Win32HostTest, APromptWithAScreenSizedBlackBackBufferUntilTheFinalFrameAndIcon) {
  char name[64] = {};
  GetClassNameA(window_, name, sizeof name);
  EXPECT_STREQ(name, "PROMPT");
  EXPECT_EQ(Text(), "BASIC PROMPT");
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
  BITMAP info{};
  GetObjectA(GetCurrentObject(host_->BackBufferDc(), OBJ_BITMAP), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(info.bmHeight, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetPixel(host_->BackBufferDc(), info.bmWidth - 1, info.bmHeight - 1), RGB(0, 0, 0));

  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  EXPECT_EQ(Text(), "Discoflipparex VZ-T734Taste V2.3D");
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU), LONG(WS_MINIMIZEBOX | WS_SYSMENU));
  // The small icon is the program's own resource, not the class's stock one; Wine
  // answers WM_GETICON only within the window's own process.
  const auto small = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
  EXPECT_NE(small, nullptr);
  EXPECT_NE(small, LoadIconA(nullptr, MAKEINTRESOURCEA(32517)));
}

TEST_F(Win32HostTest, DrawingSurvivesAWindowCoveredAndRepaintedFromTheBackBuffer) {
  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  const auto image = DrawPattern();
  EXPECT_EQ(GetPixel(host_->BackBufferDc(), 8 + 23, 8 + 31), Colour(23, 31));
  HDC dc = GetDC(window_);
  PatBlt(dc, 0, 0, 640, 400, WHITENESS);
  ReleaseDC(window_, dc);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  dc = GetDC(window_);
  EXPECT_EQ(GetPixel(dc, 8 + 5, 8 + 7), Colour(5, 7));
  EXPECT_EQ(GetPixel(dc, 8 + 12, 8 + 22), Colour(12, 22));
  EXPECT_EQ(GetPixel(dc, 100, 100), RGB(0, 0, 0));
  ReleaseDC(window_, dc);
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
  const auto image = DrawPattern();
  PostMessageA(window_, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(host_->WindowThreadHandle(), 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(loopEnded_.load());
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(host_->BackBufferDc(), nullptr);
  image->Draw(8, 8, 0);  // the game thread may still draw after the window is gone
}

}  // namespace
}  // namespace dfx
