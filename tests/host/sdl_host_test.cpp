// The SDL host: key and window-command tables, then the real host on SDL's dummy
// video driver (the real window under Xvfb is the e2e test's).
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <thread>

#include "host/sdl/sdl_host.h"
#include "image/portable/image_object.h"
#include "runtime/clock.h"

namespace dfx {
namespace {

SDL_Keysym Key(SDL_Keycode sym, int mod = KMOD_NONE, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN) {
  return {scancode, sym, uint16_t(mod), 0};
}

TEST(SdlKeys, VirtualKeysAndWindowCommands) {
  using C = WindowCommand;
  // The code stored, and what the key does to the window.
  const std::tuple<SDL_Keysym, int, C> keys[] = {
      {Key(SDLK_BACKSPACE), 8, C::None},
      {Key(SDLK_KP_ENTER), 13, C::None},
      {Key(SDLK_LEFT), 37, C::None},
      {Key(SDLK_DOWN), 40, C::None},
      {Key(SDLK_9), 57, C::None},
      {Key(SDLK_F13), 124, C::None},
      {Key(SDLK_RSHIFT), 16, C::None},
      {Key(SDLK_LCTRL, KMOD_LCTRL, SDL_SCANCODE_LCTRL), 17, C::None},
      // Letters ignore Shift, Caps Lock and Ctrl; a non-Latin layout still gives the key's letter.
      {Key(SDLK_r, KMOD_RSHIFT | KMOD_CAPS | KMOD_LCTRL, SDL_SCANCODE_R), 82, C::None},
      {Key(0x444, KMOD_NONE, SDL_SCANCODE_R), 82, C::None},
      // The keypad follows Num Lock: digits with it on, the keys printed under them with it off.
      {Key(SDLK_KP_0, KMOD_NUM), 96, C::None},
      {Key(SDLK_KP_1), 35, C::None},
      {Key(SDLK_KP_9), 33, C::None},
      {Key(SDLK_KP_PERIOD), 46, C::None},
      // Ctrl with Plus (or =), Minus or 0 (the digit row's 0 key, whatever it prints) zooms,
      // also on a German or AZERTY key row; F11 and Alt+Enter toggle full screen.
      {Key(SDLK_PLUS, KMOD_NONE, SDL_SCANCODE_RIGHTBRACKET), 0, C::None},
      {Key(SDLK_PLUS, KMOD_LCTRL), 0, C::ZoomIn},
      {Key(SDLK_EQUALS, KMOD_RCTRL), 187, C::ZoomIn},
      {Key(SDLK_KP_PLUS, KMOD_LCTRL), 107, C::ZoomIn},
      {Key(SDLK_MINUS, KMOD_LCTRL), 189, C::ZoomOut},
      {Key(SDLK_KP_MINUS, KMOD_LCTRL), 109, C::ZoomOut},
      {Key(SDLK_0, KMOD_LCTRL), 48, C::ZoomReset},
      {Key(0xE0, KMOD_NONE, SDL_SCANCODE_0), 48, C::None},
      {Key(0xE0, KMOD_LCTRL, SDL_SCANCODE_0), 48, C::ZoomReset},
      {Key(SDLK_KP_0, KMOD_LCTRL), 45, C::ZoomReset},
      {Key(SDLK_F11), 122, C::ToggleFullScreen},
      // Nothing with Alt, Right Alt too, is stored (F10: the browser table's).
      {Key(SDLK_RETURN, KMOD_RALT), 0, C::ToggleFullScreen},
      // Without Ctrl they are the game's keys; Ctrl+Alt is not a zoom.
      {Key(SDLK_MINUS), 189, C::None},
      {Key(SDLK_RETURN), 13, C::None},
      {Key(SDLK_z, KMOD_LCTRL), 90, C::None},
      {Key(SDLK_0, KMOD_LCTRL | KMOD_LALT), 0, C::None}};
  for (const auto& [key, code, command] : keys)
    EXPECT_EQ(std::pair(int(VirtualKeyFromSdl(key)), WindowCommandFromSdl(key)), std::pair(code, command))
        << SDL_GetKeyName(key.sym) << " " << key.mod;
  // Where SDL never reports Num Lock (Cocoa) the keypad gives its digits.
  EXPECT_EQ(GameKey(KeyDownFromSdl(Key(SDLK_KP_1), false, false)), 97);
  // A click's picture pixel in a 1280x408 window, nothing off the LCD (full screen: the host test below).
  for (auto [wx, wy, x, y] : {std::array{1279, 407, 639, 203}, {1280, 10, -1, -1}}) {
    int32_t px = -1, py = -1;
    if (!PlaceLcd(1280, 408, 2, false, MaxZoom).PictureAt(wx, wy, px, py)) px = py = -1;
    EXPECT_EQ(std::pair(px, py), std::pair(x, y)) << wx << "," << wy;
  }
  // Cocoa's dots per inch count the backing scale: zoom 1 there.
  for (auto [dpi, backing, zoom] :
       {std::tuple{200.f, false, 2}, {1000.f, false, MaxZoom}, {200.f, true, 1}, {0.f, false, 1}})
    EXPECT_EQ(ZoomForDpi(dpi, backing), zoom) << dpi;
  for (auto [w, h, zoom] :
       {std::tuple{2560, 1440, 4}, {2560, 408, 2}, {600, 100, 1}, {16384, 16384, MaxZoom}})
    EXPECT_EQ(FittingZoom(w, h), zoom) << w << "x" << h;
}

// Every host test runs SDL on its dummy video driver.
[[maybe_unused]] const int DummyVideo = setenv("SDL_VIDEODRIVER", "dummy", 1);

void Push(uint32_t type, uint8_t windowEvent = 0, SDL_Keysym key = {}) {
  SDL_Event e{type};
  if (type == SDL_WINDOWEVENT) e.window.event = windowEvent;
  if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
    e.key.state = type == SDL_KEYDOWN;
    e.key.keysym = key;
  }
  ASSERT_EQ(SDL_PushEvent(&e), 1);
}
// The limit only guards against a hang.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 10000 && !done(); ++i) SDL_Delay(2);
  return done();
}
// Events are handled one after another in their order: once an expose pushed after them
// has left the queue, they all have been.
void Handled(SdlHost& host) {
  const uint64_t before = host.PresentCount();
  Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED);
  ASSERT_TRUE(WaitFor([&] {
    return host.PresentCount() > before &&
           SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0;
  }));
}

// A black first frame, draws presented, an expose repainting from the back buffer; zoom
// keys, capped by the display (the dummy driver's is 1024x768), never reach the slot, nor
// Ctrl held for them. Events run on the main thread, as some systems demand, the game apart.
TEST(SdlHost, PresentsDrawsRepaintsOnExposeAndZoomsOnItsKeys) {
  SdlHost host(MaxZoom - 1);
  const std::thread::id main = std::this_thread::get_id();
  host.Run([&] {
    EXPECT_TRUE(host.EventThread() == main && host.GameThread() == std::this_thread::get_id() &&
                host.GameThread() != main);
    host.StartWindow();
    const portable::PixelSurface frame = host.PresentedFrame();
    EXPECT_EQ(std::tuple(frame.width, frame.height, std::count(frame.pixels.begin(), frame.pixels.end(), 0u),
                         host.PresentedZoom()),
              std::tuple(640, 204, 640 * 204, 1));
    auto image = host.CreateImage();
    auto* object = static_cast<portable::ImageObject*>(image.get());
    portable::PixelSurface red(24, 32, 0xC00000);
    object->AttachBitmap(&red);
    image->BindToWindow();
    ASSERT_NE(image->Draw(8, 8, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return host.PresentedFrame().At(31, 39) == 0xC00000u; }) &&
                host.PresentedFrame().At(32, 40) == 0u);
    // The back buffer alone stays unseen by a present of the window, until an expose.
    ASSERT_NE(object->Draw(100, 100, 0, 0, 0, host.BackBuffer()), 0);
    ASSERT_NE(image->Draw(200, 100, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return host.PresentedFrame().At(200, 100) == 0xC00000u; }));
    EXPECT_EQ(host.PresentedFrame().At(100, 100), 0u);
    Handled(host);
    EXPECT_EQ(host.PresentedFrame().At(100, 100), 0xC00000u);
    // Ctrl+Plus and Ctrl+Minus on a real window are the e2e test's; Alt+Enter ends in full screen.
    for (auto [modifier, mod, key] : {std::tuple{SDLK_RCTRL, KMOD_RCTRL, SDLK_KP_PLUS},
                                      {SDLK_LCTRL, KMOD_LCTRL, SDLK_0},
                                      {SDLK_LALT, KMOD_LALT, SDLK_RETURN}}) {
      // As a person presses them: the modifier first, released last.
      Push(SDL_KEYDOWN, 0, Key(modifier, mod, SDL_GetScancodeFromKey(modifier)));
      Push(SDL_KEYDOWN, 0, Key(key, mod, SDL_GetScancodeFromKey(key)));
      Push(SDL_KEYUP, 0, Key(key, mod, SDL_GetScancodeFromKey(key)));
      Push(SDL_KEYUP, 0, Key(modifier, KMOD_NONE, SDL_GetScancodeFromKey(modifier)));
      Handled(host);
      EXPECT_EQ(std::pair(host.PresentedZoom(), int(host.TakeKey())), std::pair(1, 0)) << SDL_GetKeyName(key);
    }
    // In full screen (the dummy display is 1024x768) the LCD sits at 192,282 on black: a
    // left click there is a press at its picture pixel, on the black (left, above) nothing at all.
    for (auto [x, y, button, press] :
         {std::tuple{191, 300, SDL_BUTTON_LEFT, Input{}},
          {300, 281, SDL_BUTTON_LEFT, Input{}},
          {202, 302, SDL_BUTTON_RIGHT, Input{}},
          {202, 302, SDL_BUTTON_LEFT, Input{.press = true, .x = 10, .y = 20}},
          {831, 485, SDL_BUTTON_LEFT, Input{.press = true, .x = 639, .y = 203}}}) {
      SDL_Event e{SDL_MOUSEBUTTONDOWN};
      e.button.button = uint8_t(button);
      e.button.state = SDL_PRESSED;
      e.button.x = x;
      e.button.y = y;
      ASSERT_EQ(SDL_PushEvent(&e), 1);
      Handled(host);
      EXPECT_EQ(host.TakeInput(), press) << x << "," << y;
    }
    // Ctrl alone reaches the game when released. (A newer key replacing an unread one and
    // auto-repeat are the router's and the slot's, tested with the browser keys and the memory host.)
    Push(SDL_KEYDOWN, 0, Key(SDLK_LCTRL, KMOD_LCTRL));
    Push(SDL_KEYUP, 0, Key(SDLK_LCTRL));
    Handled(host);
    EXPECT_EQ(host.TakeKey(), 17);
  });
}

TEST(SdlHost, ClosingTheWindowEndsTheProcessWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // During start-up, and while the game thinks and never looks. (Closing while it waits for
  // a key is every window test's.)
  for (const bool started : {false, true})
    EXPECT_EXIT(
        [&] {
          SdlHost host;
          host.Run([&] {
            if (started) host.StartWindow();
            Push(SDL_QUIT);
            for (const uint32_t start = TickCount(); TickCount() - start < 10000;) continue;
          });
          std::exit(3);
        }(),
        ::testing::ExitedWithCode(0), "")
        << started;
}

}  // namespace
}  // namespace dfx
