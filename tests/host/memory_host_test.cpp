#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

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

TEST_F(MemoryHostTest, KeySlotScriptAndExhaustion) {
  MemoryHost host;
  host.PushKeys({13, 37, 0, 82});  // 0 can never be a key
  EXPECT_EQ(host.PendingKeys(), 3u);
  EXPECT_EQ(WaitKey(host), 13);
  EXPECT_EQ(ReadKeys(host, 2), "\x25\x52");
  EXPECT_EQ(ReadKeys(host, 0) + ReadKeys(host, -3), "");
  uint32_t before = TickCount();
  EXPECT_THROW(WaitKey(host), KeysExhausted);
  EXPECT_EQ(TickCount(), before);  // gave up without sleeping
  // A pressed key wins over the script, and a newer one replaces the unread one.
  host.PushKey(40), host.PressKey(37), host.PressKey(39);
  EXPECT_EQ((std::tuple{host.TakeKey(), host.TakeKey(), host.TakeKey()}), std::tuple(39, 40, 0));  // braces: in order
  int calls = 0;
  host.SetOnKeysExhausted([&] {
    if (++calls == 5) host.PressKey(98);
  });
  before = TickCount();
  EXPECT_EQ(WaitKey(host), 98);
  EXPECT_EQ(std::pair(calls, TickCount() - before), std::pair(5, 5u));  // one virtual millisecond per idle
}

TEST_F(MemoryHostTest, TheScreenIsTheClientAreaOfTheBackBuffer) {
  MemoryHost host(800, 600);
  EXPECT_EQ(std::pair(host.Title(), host.Started()), std::pair(std::string("BASIC PROMPT"), false));
  host.StartWindow();
  host.FinishWindowSetup("Final title");
  EXPECT_EQ(std::pair(host.Title(), host.Started()), std::pair(std::string("Final title"), true));
  EXPECT_EQ(std::tuple(host.OuterWidth(), host.OuterHeight(), host.Window()->surface.width, host.Window()->surface.height,
                       host.BackBuffer()->surface.width, host.BackBuffer()->surface.height),
            std::tuple(650, 237, 640, 204, 800, 600));
  EXPECT_EQ(std::count(host.BackBuffer()->surface.pixels.begin(), host.BackBuffer()->surface.pixels.end(), 0u), 800 * 600);
  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_memory_host.bmp";
  ASSERT_TRUE(portable::WriteBmp24(path.c_str(), portable::PixelSurface(2, 2, 0x00AA00)));
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(638, 202, 0), 0);  // bottom-right corner of the client area
  EXPECT_NE(image->Draw(700, 300, 0), 0);  // beyond it: the back buffer alone keeps it
  EXPECT_TRUE(host.Window()->dirty.load());
  EXPECT_EQ(std::pair(host.Window()->surface.At(639, 203), host.BackBuffer()->surface.At(701, 301)), std::pair(0x00AA00u, 0x00AA00u));
  const portable::PixelSurface screen = host.ScreenCopy();
  EXPECT_EQ(std::tuple(screen.width, screen.height, screen.At(638, 202)), std::tuple(640, 204, 0x00AA00u));
  // The screen written as a file reads back whole.
  ASSERT_TRUE(host.WriteScreenBmp(path.c_str()));
  ASSERT_EQ(image->Load(path.c_str()), 1);
  std::remove(path.c_str());
  const auto* read = static_cast<portable::ImageObject*>(image.get())->Loader().bitmap.get();
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(std::tuple(read->width, read->height, read->At(639, 203), read->At(0, 0)), std::tuple(640, 204, 0x00AA00u, 0u));
}

}  // namespace
}  // namespace dfx
