#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "host/sdl/sdl_host.h"
#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

SDL_Keysym Key(SDL_Keycode sym, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, uint16_t mod = KMOD_NONE) {
  return SDL_Keysym{scancode, sym, mod, 0};
}

TEST(VirtualKeyFromSdl, GivesWindowsCodesAndDropsSystemKeys) {
  const std::pair<SDL_Keysym, int> cases[] = {
      {Key(SDLK_BACKSPACE), 8}, {Key(SDLK_RETURN), 13}, {Key(SDLK_KP_ENTER), 13}, {Key(SDLK_LEFT), 37},
      {Key(SDLK_DOWN), 40},     {Key(SDLK_0), 48},      {Key(SDLK_9), 57},        {Key(SDLK_a), 65},
      {Key(SDLK_z), 90},        {Key(SDLK_SPACE), 32},
      {Key(SDLK_ESCAPE), 27},   {Key(SDLK_F1), 112},    {Key(SDLK_F13), 124},     {Key(SDLK_RSHIFT), 16},
      // Letters ignore Shift, Caps Lock and Ctrl; a non-Latin layout still gives the key's letter.
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_RSHIFT), 82}, {Key(SDLK_r, SDL_SCANCODE_R, KMOD_CAPS), 82},
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_LCTRL), 82},  {Key(0x444, SDL_SCANCODE_R), 82},
      {Key(SDLK_2, SDL_SCANCODE_2, KMOD_LSHIFT), 50}, {Key(SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), 17},
      // The keypad follows Num Lock: digits with it on, the keys printed under them with it off.
      {Key(SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM), 96}, {Key(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), 105},
      {Key(SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, KMOD_NUM), 110}, {Key(SDLK_KP_0), 45}, {Key(SDLK_KP_1), 35},
      {Key(SDLK_KP_2), 40}, {Key(SDLK_KP_4), 37}, {Key(SDLK_KP_5), 12}, {Key(SDLK_KP_9), 33}, {Key(SDLK_KP_PERIOD), 46},
      // System keys are not stored.
      {Key(SDLK_F10), 0}, {Key(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), 0}, {Key(SDLK_UNKNOWN), 0},
      {Key(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 0}, {Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT), 0},
  };
  for (const auto& [key, code] : cases) EXPECT_EQ(VirtualKeyFromSdl(key), code) << SDL_GetKeyName(key.sym);
}

TEST(WindowCommandFromSdl, ZoomAndFullScreenKeys) {
  using C = WindowCommand;
  const std::pair<SDL_Keysym, C> cases[] = {
      {Key(SDLK_PLUS, SDL_SCANCODE_UNKNOWN, KMOD_LCTRL), C::ZoomIn}, {Key(SDLK_EQUALS, SDL_SCANCODE_EQUALS, KMOD_RCTRL), C::ZoomIn},
      {Key(SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, KMOD_LCTRL), C::ZoomIn}, {Key(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL), C::ZoomOut},
      {Key(SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, KMOD_LCTRL), C::ZoomOut}, {Key(SDLK_0, SDL_SCANCODE_0, KMOD_LCTRL), C::ZoomReset},
      {Key(SDLK_F11), C::ToggleFullScreen}, {Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT), C::ToggleFullScreen},
      {Key(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT), C::ToggleFullScreen},
      // Without Ctrl they are the game's keys; Ctrl+Alt is not a zoom.
      {Key(SDLK_MINUS), C::None}, {Key(SDLK_0), C::None}, {Key(SDLK_RETURN), C::None},
      {Key(SDLK_z, SDL_SCANCODE_Z, KMOD_LCTRL), C::None}, {Key(SDLK_0, SDL_SCANCODE_0, KMOD_LCTRL | KMOD_LALT), C::None},
  };
  for (const auto& [key, command] : cases) EXPECT_EQ(WindowCommandFromSdl(key), command) << SDL_GetKeyName(key.sym);
  EXPECT_EQ(FittingZoom(1024, 768), 1);
  EXPECT_EQ(FittingZoom(2560, 1440), 4);
  EXPECT_EQ(FittingZoom(1920, 1080), 3);
  EXPECT_EQ(FittingZoom(600, 100), 1);
  EXPECT_EQ(FittingZoom(16384, 16384), MaxZoom);
}

// The thread of main(): static initialisation runs there.
const std::thread::id MainThread = std::this_thread::get_id();

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
  host.Run([&] {
    EXPECT_EQ(host.EventThread(), MainThread);
    EXPECT_EQ(host.GameThread(), std::this_thread::get_id());
    EXPECT_NE(host.GameThread(), MainThread);
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
  });
}

TEST_F(SdlHostTest, KeyDownsFillTheSlotAndNewerReplacesUnread) {
  SdlHost host;
  host.Run([&] {
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
    PushKey(SDLK_KP_2, KMOD_NUM);
    PushKey(SDLK_BACKSPACE);
    LetWindowThreadRun();
    EXPECT_EQ(ReadKeys(host, 1), std::string(1, char(8)));
  });
}

// Zoom and full screen change only how the window shows the picture; the keys that
// ask for them never reach the slot.
TEST_F(SdlHostTest, ZoomKeysStepWithinOneToEightAndFullScreenFits) {
  SdlHost host(MaxZoom - 1);
  host.Run([&] {
    host.StartWindow();
    EXPECT_EQ(host.PresentedZoom(), MaxZoom - 1);
    const struct {
      SDL_Keycode key;
      uint16_t mod;
      int32_t zoom;
    } steps[] = {{SDLK_EQUALS, KMOD_LCTRL, MaxZoom}, {SDLK_KP_PLUS, KMOD_RCTRL, MaxZoom},
                 {SDLK_MINUS, KMOD_LCTRL, MaxZoom - 1}, {SDLK_0, KMOD_LCTRL, 1},
                 {SDLK_MINUS, KMOD_LCTRL, 1},        {SDLK_F11, KMOD_NONE, FittingZoom(1024, 768)},
                 {SDLK_EQUALS, KMOD_LCTRL, FittingZoom(1024, 768)}, {SDLK_RETURN, KMOD_LALT, 2}};
    for (const auto& step : steps) {
      PushKey(step.key, step.mod);
      WaitFor([&] { return host.PresentedZoom() == step.zoom; });
      LetWindowThreadRun();
      EXPECT_EQ(host.PresentedZoom(), step.zoom) << SDL_GetKeyName(step.key);
      EXPECT_EQ(host.TakeKey(), 0) << SDL_GetKeyName(step.key);
    }
    const portable::PixelSurface frame = host.PresentedFrame();
    EXPECT_EQ(std::pair(frame.width, frame.height), std::pair(640, 204));
  });
}

using SdlHostDeathTest = SdlHostTest;

TEST_F(SdlHostDeathTest, ClosingTheWindowEndsTheProcessWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // During start-up, while the game thread waits for a key, and while it thinks and never looks.
  EXPECT_EXIT(
      {
        SdlHost host;
        host.Run([&] {
          Push(SDL_Event{SDL_QUIT});
          SleepMs(10000);
        });
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        SdlHost host;
        host.Run([&] {
          host.StartWindow();
          PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
          for (int i = 0; i < 10000 && host.TakeKey() == 0; ++i) host.IdleForKey();
        });
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        SdlHost host;
        host.Run([&] {
          host.StartWindow();
          Push(SDL_Event{SDL_QUIT});
          for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
               std::chrono::steady_clock::now() < until;) {
          }
        });
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace dfx
