#include <gtest/gtest.h>

#include <algorithm>

#include "host/memory/memory_host.h"
#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

TEST(MemoryHost, KeySlotScriptAndExhaustion) {
  UseVirtualClock(1000);
  MemoryHost host;
  host.PushKeys({13, 37, 0, 82});  // 0 can never be a key
  EXPECT_EQ(host.PendingKeys(), 3u);
  EXPECT_EQ(WaitKey(host), 13);
  EXPECT_EQ(ReadKeys(host, 2) + ReadKeys(host, 0) + ReadKeys(host, -3), "\x25\x52");
  uint32_t before = TickCount();
  EXPECT_THROW(WaitKey(host), KeysExhausted);
  EXPECT_EQ(TickCount(), before);  // gave up without sleeping
  // A pressed key wins over the script, and a newer one replaces the unread one.
  host.PushKey(40);
  host.PressKey(37);
  host.PressKey(39);
  EXPECT_EQ((std::tuple{host.TakeKey(), host.TakeKey(), host.TakeKey()}),
            std::tuple(39, 40, 0));  // braces: in order
  int calls = 0;
  host.SetOnKeysExhausted([&] { ++calls == 5 ? host.PressKey(98) : void(); });
  before = TickCount();
  EXPECT_EQ(WaitKey(host), 98);
  EXPECT_EQ(std::pair(calls, TickCount() - before), std::pair(5, 5u));  // one virtual millisecond per idle
  UseRealClock();
}

// The back buffer is black and sized after the screen, within bounds; draws reach the
// window only within its client area. (Reading the screen back is every game test's.)
TEST(MemoryHost, BackBufferSizedAfterTheScreenAndDrawsReachTheClientArea) {
  MemoryHost host(800, 600), degenerate(0, 0), huge(1 << 20, 300);
  for (auto [screen, w, h] : {std::tuple{&host, 800, 600}, {&degenerate, 640, 204}, {&huge, 16384, 300}}) {
    const auto& back = screen->BackBuffer()->surface;
    EXPECT_EQ(std::tuple(back.width, back.height, std::count(back.pixels.begin(), back.pixels.end(), 0u)),
              std::tuple(w, h, w * h));
  }
  const auto& back = host.BackBuffer()->surface;
  portable::PixelSurface green(2, 2, 0x00AA00);
  auto image = host.CreateImage();
  static_cast<portable::ImageObject*>(image.get())->AttachBitmap(&green);
  image->BindToWindow();
  EXPECT_NE(image->Draw(638, 202, 0) * image->Draw(700, 300, 0),
            0);  // the client area's corner; beyond: back buffer only
  EXPECT_TRUE(host.Window()->dirty.load());
  EXPECT_EQ(std::pair(host.Window()->surface.At(639, 203), back.At(701, 301)),
            std::pair(0x00AA00u, 0x00AA00u));
}

}  // namespace
}  // namespace dfx
