#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "host/sdl/sdl_host.h"
#include "image/portable/image_object.h"

namespace dfx {
namespace {

SDL_Keysym Key(SDL_Keycode sym, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, uint16_t mod = KMOD_NONE) {
  return SDL_Keysym{scancode, sym, mod, 0};
}

TEST(VirtualKeyFromSdl, GivesWindowsCodesAndDropsSystemKeys) {
  const std::pair<SDL_Keysym, int> cases[] = {
      {Key(SDLK_BACKSPACE), 8}, {Key(SDLK_RETURN), 13}, {Key(SDLK_KP_ENTER), 13}, {Key(SDLK_LEFT), 37},
      {Key(SDLK_DOWN), 40},     {Key(SDLK_0), 48},      {Key(SDLK_9), 57},        {Key(SDLK_a), 65},
      {Key(SDLK_z), 90},        {Key(SDLK_KP_0), 96},   {Key(SDLK_KP_9), 105},    {Key(SDLK_SPACE), 32},
      {Key(SDLK_ESCAPE), 27},   {Key(SDLK_F1), 112},    {Key(SDLK_F13), 124},     {Key(SDLK_RSHIFT), 16},
      // Letters ignore Shift, Caps Lock and Ctrl; a non-Latin layout still gives the key's letter.
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_RSHIFT), 82}, {Key(SDLK_r, SDL_SCANCODE_R, KMOD_CAPS), 82},
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_LCTRL), 82},  {Key(0x444, SDL_SCANCODE_R), 82},
      {Key(SDLK_2, SDL_SCANCODE_2, KMOD_LSHIFT), 50}, {Key(SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), 17},
      // System keys are not stored.
      {Key(SDLK_F10), 0}, {Key(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), 0}, {Key(SDLK_UNKNOWN), 0},
      {Key(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 0}, {Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT), 0},
  };
  for (const auto& [key, code] : cases) EXPECT_EQ(VirtualKeyFromSdl(key), code) << SDL_GetKeyName(key.sym);
}

// Real SDL with its dummy video driver: window thread, presentation, expose, keys.
class SdlHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
  static void PushKey(SDL_Keycode sym, uint16_t mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{SDL_KEYDOWN};
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym = Key(sym, SDL_GetScancodeFromKey(sym), mod);
    Push(e);
  }
  static void PushWindowEvent(uint8_t event) {
    SDL_Event e{SDL_WINDOWEVENT};
    e.window.event = event;
    Push(e);
  }
  // The window thread wakes at least every 10 ms.
  static void LetWindowThreadRun() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
  template <typename Pred>
  static bool WaitFor(Pred done) {
    for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return done();
  }
};

TEST_F(SdlHostTest, BlackFirstPaintThenDrawingIsPresentedAndExposeRepaintsFromTheBackBuffer) {
  SdlHost host;
  EXPECT_EQ(host.BackBuffer(), nullptr);
  host.StartWindow();
  EXPECT_GE(host.PresentCount(), 1u);
  portable::PixelSurface frame = host.PresentedFrame();
  ASSERT_EQ(std::pair(frame.width, frame.height), std::pair(640, 204));
  for (uint32_t p : frame.pixels) ASSERT_EQ(p, 0u);
  ASSERT_NE(host.BackBuffer(), nullptr);
  EXPECT_GE(host.BackBuffer()->surface.width, 640);
  EXPECT_GE(host.BackBuffer()->surface.height, 204);
  host.FinishWindowSetup("Drawn");

  const std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_sdl_host_red.bmp";
  ASSERT_TRUE(portable::WriteBmp24(path.c_str(), portable::PixelSurface(24, 32, 0xC00000)));
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  std::remove(path.c_str());
  image->BindToWindow();
  ASSERT_NE(image->Draw(8, 8, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return host.PresentedFrame().At(31, 39) == 0xC00000u; }));
  EXPECT_EQ(host.PresentedFrame().At(32, 40), 0u);
  // Into the back buffer alone: the window shows it only after an expose.
  ASSERT_NE(static_cast<portable::ImageObject*>(image.get())->Draw(100, 100, 0, 0, 0, host.BackBuffer()), 0);
  LetWindowThreadRun();
  EXPECT_EQ(host.PresentedFrame().At(100, 100), 0u);
  const uint64_t before = host.PresentCount();
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  ASSERT_TRUE(WaitFor([&] { return host.PresentCount() > before; }));
  frame = host.PresentedFrame();
  EXPECT_EQ(frame.At(100, 100), 0xC00000u);
  EXPECT_EQ(frame.At(8, 8), 0xC00000u);
}

TEST_F(SdlHostTest, KeyDownsFillTheSlotAndNewerReplacesUnread) {
  SdlHost host;
  host.StartWindow();
  EXPECT_EQ(host.TakeKey(), 0);
  PushKey(SDLK_LEFT);
  PushKey(SDLK_RIGHT);
  LetWindowThreadRun();
  EXPECT_EQ(host.TakeKey(), 39);
  EXPECT_EQ(host.TakeKey(), 0);
  PushKey(SDLK_r, KMOD_LSHIFT);
  EXPECT_EQ(WaitKey(host), 82);
  PushKey(SDLK_x, KMOD_LALT);
  PushKey(SDLK_F10);
  LetWindowThreadRun();
  EXPECT_EQ(host.TakeKey(), 0);
  PushKey(SDLK_DOWN);
  EXPECT_EQ(WaitKey(host), 40);
  PushKey(SDLK_DOWN, KMOD_NONE, true);  // auto-repeat delivers the code again
  EXPECT_EQ(WaitKey(host), 40);
  PushKey(SDLK_KP_2);
  PushKey(SDLK_BACKSPACE);
  LetWindowThreadRun();
  EXPECT_EQ(ReadKeys(host, 1), std::string(1, char(8)));
}

using SdlHostDeathTest = SdlHostTest;

TEST_F(SdlHostDeathTest, ClosingTheWindowEndsTheProcessWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // While the game thread waits for a key, and while it thinks and never looks.
  EXPECT_EXIT(
      {
        SdlHost host;
        host.StartWindow();
        PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        for (int i = 0; i < 10000 && host.TakeKey() == 0; ++i) host.IdleForKey();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        SdlHost host;
        host.StartWindow();
        Push(SDL_Event{SDL_QUIT});
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             std::chrono::steady_clock::now() < until;) {
        }
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace dfx
