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
  SDL_Keysym k{};
  k.sym = sym;
  k.scancode = scancode;
  k.mod = mod;
  return k;
}

TEST(VirtualKeyFromSdl, GivesWindowsCodes) {
  const std::pair<SDL_Keysym, int> cases[] = {
      {Key(SDLK_BACKSPACE), 8},  {Key(SDLK_RETURN), 13}, {Key(SDLK_KP_ENTER), 13}, {Key(SDLK_LEFT), 37},
      {Key(SDLK_DOWN), 40},      {Key(SDLK_0), 48},      {Key(SDLK_9), 57},        {Key(SDLK_a), 65},
      {Key(SDLK_z), 90},         {Key(SDLK_KP_0), 96},   {Key(SDLK_KP_1), 97},     {Key(SDLK_KP_9), 105},
      {Key(SDLK_SPACE), 32},     {Key(SDLK_ESCAPE), 27}, {Key(SDLK_F1), 112},      {Key(SDLK_F11), 122},
      {Key(SDLK_F13), 124},      {Key(SDLK_RSHIFT), 16},
      {Key(SDLK_2, SDL_SCANCODE_2, KMOD_LSHIFT), 50},
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_RSHIFT), 82},  // letters ignore Shift and Caps Lock
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_CAPS), 82},
      {Key(SDLK_r, SDL_SCANCODE_R, KMOD_LCTRL), 82},
      {Key(SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), 17},
  };
  for (const auto& [key, code] : cases) EXPECT_EQ(VirtualKeyFromSdl(key), code) << SDL_GetKeyName(key.sym);
}

TEST(VirtualKeyFromSdl, SystemKeysAreNotStored) {
  EXPECT_EQ(VirtualKeyFromSdl(Key(SDLK_F10)), 0);
  EXPECT_EQ(VirtualKeyFromSdl(Key(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT)), 0);
  EXPECT_EQ(VirtualKeyFromSdl(Key(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)), 0);
  EXPECT_EQ(VirtualKeyFromSdl(Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT)), 0);
  EXPECT_EQ(VirtualKeyFromSdl(Key(SDLK_UNKNOWN)), 0);
  // A layout whose letter key is not a Latin letter still gives the key's letter.
  EXPECT_EQ(VirtualKeyFromSdl(Key(0x444, SDL_SCANCODE_R)), 82);
}

// Real SDL with its dummy video driver: the window thread, presentation, expose
// and keys, without a display.
class SdlHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  static void PushKey(SDL_Keycode sym, uint16_t mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym = Key(sym, SDL_GetScancodeFromKey(sym), mod);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  static void PushWindowEvent(uint8_t event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  // Lets the window thread work through its queue (it wakes at least every 10 ms).
  static void LetWindowThreadRun() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

  template <typename Pred>
  static bool WaitFor(Pred done) {
    for (int i = 0; i < 5000; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  static std::string WritePicture(const char* name, int32_t w, int32_t h, uint32_t colour) {
    std::string path = ::testing::TempDir() + std::to_string(getpid()) + "_" + name;
    EXPECT_TRUE(portable::WriteBmp24(path.c_str(), portable::PixelSurface(w, h, colour)));
    return path;
  }
};

TEST_F(SdlHostTest, FirstPaintShowsABlackClientAreaAndAScreenSizedBackBuffer) {
  SdlHost host;
  EXPECT_EQ(host.BackBuffer(), nullptr);
  host.StartWindow();
  EXPECT_GE(host.PresentCount(), 1u);
  portable::PixelSurface frame = host.PresentedFrame();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 204);
  for (uint32_t p : frame.pixels) ASSERT_EQ(p, 0u);
  ASSERT_NE(host.BackBuffer(), nullptr);
  EXPECT_GE(host.BackBuffer()->surface.width, 640);
  EXPECT_GE(host.BackBuffer()->surface.height, 204);
  host.FinishWindowSetup("Final");
  EXPECT_EQ(host.TakeKey(), 0);
}

TEST_F(SdlHostTest, DrawingIsPresentedAndExposeRepaintsFromTheBackBuffer) {
  SdlHost host;
  host.StartWindow();
  host.FinishWindowSetup("Drawn");
  const std::string path = WritePicture("sdl_host_red.bmp", 24, 32, 0xC00000);
  auto image = host.CreateImage();
  ASSERT_EQ(image->Load(path.c_str()), 1);
  image->BindToWindow();
  ASSERT_NE(image->Draw(8, 8, 0), 0);
  ASSERT_TRUE(WaitFor([&] { return host.PresentedFrame().At(31, 39) == 0xC00000u; }));
  EXPECT_EQ(host.PresentedFrame().At(32, 40), 0u);

  // Into the back buffer alone: the window shows it only after an expose.
  auto* concrete = static_cast<portable::ImageObject*>(image.get());
  ASSERT_NE(concrete->Draw(100, 100, 0, 0, 0, host.BackBuffer()), 0);
  LetWindowThreadRun();
  EXPECT_EQ(host.PresentedFrame().At(100, 100), 0u);
  const uint64_t before = host.PresentCount();
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  ASSERT_TRUE(WaitFor([&] { return host.PresentCount() > before; }));
  const portable::PixelSurface frame = host.PresentedFrame();
  EXPECT_EQ(frame.At(100, 100), 0xC00000u);
  EXPECT_EQ(frame.At(8, 8), 0xC00000u);  // and the earlier drawing is still there
  image.reset();
  std::remove(path.c_str());
}

TEST_F(SdlHostTest, KeyDownsFillTheSlotAndNewerReplacesUnread) {
  SdlHost host;
  host.StartWindow();
  PushKey(SDLK_LEFT);
  PushKey(SDLK_RIGHT);
  LetWindowThreadRun();
  EXPECT_EQ(host.TakeKey(), 39);
  EXPECT_EQ(host.TakeKey(), 0);

  PushKey(SDLK_r, KMOD_LSHIFT);
  EXPECT_EQ(WaitKey(host), 82);
  PushKey(SDLK_x, KMOD_LALT);  // not stored
  PushKey(SDLK_F10);           // not stored
  LetWindowThreadRun();
  EXPECT_EQ(host.TakeKey(), 0);
  // Auto-repeat of a held key delivers the code again, one per wait.
  PushKey(SDLK_DOWN);
  EXPECT_EQ(WaitKey(host), 40);
  PushKey(SDLK_DOWN, KMOD_NONE, true);
  EXPECT_EQ(WaitKey(host), 40);
  PushKey(SDLK_KP_2);
  PushKey(SDLK_RETURN);
  PushKey(SDLK_BACKSPACE);
  LetWindowThreadRun();
  EXPECT_EQ(ReadKeys(host, 1), std::string(1, char(8)));
}

using SdlHostDeathTest = SdlHostTest;

TEST_F(SdlHostDeathTest, ClosingTheWindowEndsTheProcessWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // While the game thread waits for a key.
  EXPECT_EXIT(
      {
        SdlHost host;
        host.StartWindow();
        PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        for (int i = 0; i < 10000 && host.TakeKey() == 0; ++i) host.IdleForKey();
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  // While the game thread thinks and never looks at the window.
  EXPECT_EXIT(
      {
        SdlHost host;
        host.StartWindow();
        SDL_Event e{};
        e.type = SDL_QUIT;
        SDL_PushEvent(&e);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        volatile uint64_t spin = 0;
        while (std::chrono::steady_clock::now() < until) spin = spin + 1;
        std::exit(3);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace dfx
