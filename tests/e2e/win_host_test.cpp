// The Win32 host on a real window: the first window and back buffer, the icon, the key
// slot, repaint from the back buffer, and the end of the loop. (Class, final frame and
// size of the program's own window are asked of Windows by the real-window tests.)
#include <gtest/gtest.h>

#include <atomic>

#include "host/win32/win32_host.h"
#include "test_pictures.h"

namespace dfx {
namespace {

class Win32HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_->StartWindow();
    ASSERT_NE(window_ = host_->Window(), nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) SendMessageA(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(host_->WindowThreadHandle(), 5000);
  }
  void ExpectPattern(HDC dc, int x, int y) {
    const uint32_t p = pattern_.At(x, y);
    EXPECT_EQ(GetPixel(dc, 8 + x, 8 + y), RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF)) << x << "," << y;
  }

  std::atomic<bool> loopEnded_{false};
  std::unique_ptr<Win32Host> host_ = std::make_unique<Win32Host>([this] { loopEnded_.store(true); });
  HWND window_ = nullptr;
  const portable::PixelSurface pattern_ = testing::Pattern(24, 32);
};

TEST_F(Win32HostTest, APromptWithAScreenSizedBlackBackBufferUntilTheFinalFrameAndIcon) {
  char text[64] = {};
  GetWindowTextA(window_, text, sizeof text);
  EXPECT_STREQ(text, "BASIC PROMPT");
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
  BITMAP info{};
  GetObjectA(GetCurrentObject(host_->BackBufferDc(), OBJ_BITMAP), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(info.bmHeight, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(GetPixel(host_->BackBufferDc(), info.bmWidth - 1, info.bmHeight - 1), RGB(0, 0, 0));
  // The small icon is the program's own resource, not the class's stock one; Wine
  // answers WM_GETICON only within the window's own process.
  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  const auto small = reinterpret_cast<HICON>(SendMessageA(window_, WM_GETICON, ICON_SMALL, 0));
  EXPECT_NE(small, nullptr);
  EXPECT_NE(small, LoadIconA(nullptr, MAKEINTRESOURCEA(32517)));
}

TEST_F(Win32HostTest, TheKeySlotKeepsTheLowByteOfTheNewestUnreadKeyDown) {
  EXPECT_EQ(host_->TakeKey(), 0);
  for (auto [message, key] : {std::pair{WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, 0x1FF}, {WM_CHAR, 'r'}, {WM_SYSKEYDOWN, 'R'}})
    SendMessageA(window_, message, key, 0);
  EXPECT_EQ(host_->TakeKey(), 0xFF) << "characters and Alt keys are not stored";
  EXPECT_EQ(host_->TakeKey(), 0);
  PostMessageA(window_, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(WaitKey(*host_), 13);
}

TEST_F(Win32HostTest, DrawingIsRepaintedFromTheBackBufferUntilTheWindowClosesAndEndsTheLoop) {
  host_->FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  const std::string path = testing::TempPath("win_host_pattern.bmp");
  testing::WriteFileBytes(path, testing::BmpBytes(pattern_, 24, false));
  const std::unique_ptr<Image> image = host_->CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(8, 8, 0), 0);
  ExpectPattern(host_->BackBufferDc(), 23, 31);
  HDC dc = GetDC(window_);  // covered, then repainted
  PatBlt(dc, 0, 0, 640, 400, WHITENESS);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  ExpectPattern(dc, 5, 7);
  ExpectPattern(dc, 12, 22);
  EXPECT_EQ(GetPixel(dc, 100, 100), RGB(0, 0, 0));
  ReleaseDC(window_, dc);
  PostMessageA(window_, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(host_->WindowThreadHandle(), 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(loopEnded_.load());
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(host_->BackBufferDc(), nullptr);
  image->Draw(8, 8, 0);  // the game thread may still draw after the window is gone
}

}  // namespace
}  // namespace dfx
