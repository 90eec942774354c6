#include <gtest/gtest.h>
#include <unistd.h>

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
  EXPECT_EQ(ReadKeys(host, 2), std::string("\x25\x52"));
  EXPECT_TRUE(ReadKeys(host, 0).empty());
  EXPECT_TRUE(ReadKeys(host, -3).empty());
  uint32_t before = TickCount();
  EXPECT_THROW(WaitKey(host), KeysExhausted);
  EXPECT_EQ(TickCount(), before);  // gave up without sleeping

  // A pressed key wins over the script, and a newer one replaces the unread one.
  host.PushKey(40);
  host.PressKey(37);
  host.PressKey(39);
  EXPECT_EQ(host.TakeKey(), 39);
  EXPECT_EQ(host.TakeKey(), 40);
  EXPECT_EQ(host.TakeKey(), 0);

  int calls = 0;
  host.SetOnKeysExhausted([&] {
    if (++calls == 5) host.PressKey(98);
  });
  before = TickCount();
  EXPECT_EQ(WaitKey(host), 98);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(TickCount() - before, 5u);  // one virtual millisecond per idle
}

TEST_F(MemoryHostTest, WindowSetUpAndTheScreenIsTheClientAreaOfTheBackBuffer) {
  MemoryHost host(800, 600);
  EXPECT_EQ(host.Title(), "BASIC PROMPT");
  EXPECT_FALSE(host.Started());
  host.StartWindow();
  host.FinishWindowSetup("Final title");
  EXPECT_TRUE(host.Started());
  EXPECT_EQ(host.Title(), "Final title");
  EXPECT_EQ(std::pair(host.OuterWidth(), host.OuterHeight()), std::pair(650, 237));
  EXPECT_EQ(std::pair(host.Window()->surface.width, host.Window()->surface.height), std::pair(640, 204));
  EXPECT_EQ(std::pair(host.BackBuffer()->surface.width, host.BackBuffer()->surface.height), std::pair(800, 600));
  for (const portable::DrawTarget* t : {host.Window(), host.BackBuffer()}) {
    for (uint32_t p : t->surface.pixels) ASSERT_EQ(p, 0u);
  }
  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_memory_host.bmp";
  ASSERT_TRUE(portable::WriteBmp24(path.c_str(), portable::PixelSurface(2, 2, 0x00AA00)));
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  EXPECT_NE(image->Draw(638, 202, 0), 0);  // bottom-right corner of the client area
  EXPECT_NE(image->Draw(700, 300, 0), 0);  // beyond it: the back buffer alone keeps it
  EXPECT_EQ(host.Window()->surface.At(639, 203), 0x00AA00u);
  EXPECT_TRUE(host.Window()->dirty.load());
  EXPECT_EQ(host.BackBuffer()->surface.At(701, 301), 0x00AA00u);
  portable::PixelSurface screen = host.ScreenCopy();
  ASSERT_EQ(std::pair(screen.width, screen.height), std::pair(640, 204));
  EXPECT_EQ(screen.At(638, 202), 0x00AA00u);

  ASSERT_TRUE(host.WriteScreenBmp(path.c_str()));
  ASSERT_EQ(image->Load(path.c_str()), 1);
  EXPECT_EQ(std::pair(image->BitmapWidth(), image->BitmapHeight()), std::pair(640, 204));
  auto* read = static_cast<portable::ImageObject*>(image.get())->Loader().bitmap.get();
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->At(639, 203), 0x00AA00u);
  EXPECT_EQ(read->At(0, 0), 0u);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace dfx
