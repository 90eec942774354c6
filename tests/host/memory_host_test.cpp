#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "host/memory/memory_host.h"
#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

class MemoryHostTest : public ::testing::Test {
 protected:
  void SetUp() override { UseVirtualClock(1000); }
  void TearDown() override { UseRealClock(); }
};

TEST_F(MemoryHostTest, StartsBlackAndRecordsWindowSetUp) {
  MemoryHost host(800, 600);
  EXPECT_FALSE(host.Started());
  EXPECT_EQ(host.Title(), "BASIC PROMPT");
  host.StartWindow();
  EXPECT_TRUE(host.Started());
  host.FinishWindowSetup("Final title");
  EXPECT_EQ(host.Title(), "Final title");
  EXPECT_EQ(host.OuterWidth(), 650);
  EXPECT_EQ(host.OuterHeight(), 237);
  EXPECT_EQ(host.Window()->surface.width, 640);
  EXPECT_EQ(host.Window()->surface.height, 204);
  EXPECT_EQ(host.BackBuffer()->surface.width, 800);
  EXPECT_EQ(host.BackBuffer()->surface.height, 600);
  for (uint32_t p : host.BackBuffer()->surface.pixels) ASSERT_EQ(p, 0u);
  for (uint32_t p : host.Window()->surface.pixels) ASSERT_EQ(p, 0u);
}

TEST_F(MemoryHostTest, ScriptedKeysArriveOnePerWaitThenExhaust) {
  MemoryHost host;
  host.PushKeys({13, 37, 0, 82});  // 0 can never be a key and is dropped
  EXPECT_EQ(host.PendingKeys(), 3u);
  EXPECT_EQ(WaitKey(host), 13);
  EXPECT_EQ(ReadKeys(host, 2), std::string("\x25\x52"));
  EXPECT_EQ(host.PendingKeys(), 0u);
  const uint32_t before = TickCount();
  EXPECT_THROW(WaitKey(host), KeysExhausted);
  EXPECT_EQ(TickCount(), before);  // gave up at once, without sleeping
}

TEST_F(MemoryHostTest, PressedKeyWinsOverScriptAndNewerReplacesUnread) {
  MemoryHost host;
  host.PushKey(40);
  host.PressKey(37);
  host.PressKey(39);  // replaces the unread Left
  EXPECT_EQ(host.TakeKey(), 39);
  EXPECT_EQ(host.TakeKey(), 40);
  EXPECT_EQ(host.TakeKey(), 0);
}

TEST_F(MemoryHostTest, HandlerCanFeedKeysWhileTheClockAdvances) {
  MemoryHost host;
  int calls = 0;
  host.SetOnKeysExhausted([&] {
    if (++calls == 5) host.PressKey(98);
  });
  const uint32_t before = TickCount();
  EXPECT_EQ(WaitKey(host), 98);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(TickCount() - before, 5u);  // one virtual millisecond per idle
  EXPECT_TRUE(ReadKeys(host, 0).empty());
  EXPECT_TRUE(ReadKeys(host, -3).empty());
}

TEST_F(MemoryHostTest, ScreenIsTheClientAreaOfTheBackBuffer) {
  MemoryHost host;
  host.StartWindow();
  {
    std::lock_guard<std::mutex> guard(host.BackBuffer()->mutex);
    host.BackBuffer()->surface.At(0, 0) = 0x112233;
    host.BackBuffer()->surface.At(639, 203) = 0x445566;
    host.BackBuffer()->surface.At(640, 0) = 0xFFFFFF;  // outside the client area
  }
  portable::PixelSurface screen = host.ScreenCopy();
  ASSERT_EQ(screen.width, 640);
  ASSERT_EQ(screen.height, 204);
  EXPECT_EQ(screen.At(0, 0), 0x112233u);
  EXPECT_EQ(screen.At(639, 203), 0x445566u);

  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_memory_host_screen.bmp";
  ASSERT_TRUE(host.WriteScreenBmp(path.c_str()));
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  EXPECT_EQ(image->BitmapWidth(), 640);
  EXPECT_EQ(image->BitmapHeight(), 204);
  std::remove(path.c_str());
}

TEST_F(MemoryHostTest, BoundImagesDrawIntoWindowAndBackBuffer) {
  MemoryHost host;
  host.StartWindow();
  portable::PixelSurface picture(2, 2, 0x00AA00);
  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_memory_host_green.bmp";
  ASSERT_TRUE(portable::WriteBmp24(path.c_str(), picture));
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(630, 200, 0), 0);  // bottom-right, partly beyond the window
  EXPECT_EQ(host.Window()->surface.At(631, 201), 0x00AA00u);
  EXPECT_EQ(host.BackBuffer()->surface.At(631, 201), 0x00AA00u);
  EXPECT_EQ(host.ScreenCopy().At(630, 200), 0x00AA00u);
  EXPECT_TRUE(host.Window()->dirty.load());
  // Beyond the client area only the screen-sized back buffer keeps the picture.
  EXPECT_NE(image->Draw(700, 300, 0), 0);
  EXPECT_EQ(host.BackBuffer()->surface.At(701, 301), 0x00AA00u);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace dfx
