#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/web/web_keys.h"

namespace dfx {
namespace {

TEST(VirtualKeyFromWeb, GivesWindowsCodesAndDropsSystemKeys) {
  // The keys a whole game presses (arrows, Enter, Backspace, R, 1, 2) are the browser test's.
  const std::tuple<const char*, const char*, bool, int> cases[] = {
      {"Enter", "NumpadEnter", false, 13},
      {"Shift", "ShiftRight", false, 16},
      {"F1", "F1", false, 112},
      {"F24", "F24", false, 135},
      // The keypad follows Num Lock: with it off the browser names the key the digit stands for.
      {"1", "Numpad1", false, 97},
      {".", "NumpadDecimal", false, 110},
      {"End", "Numpad1", false, 35},
      {"ArrowDown", "Numpad2", false, 40},
      {"Delete", "NumpadDecimal", false, 46},
      // Letters ignore Shift; a non-Latin layout gives the physical key's letter, and a
      // layout whose digit row needs Shift still gives the digit.
      {"R", "KeyR", false, 82},
      {"\xD0\xBA", "KeyR", false, 82},
      {"z", "KeyY", false, 90},
      {"&", "Digit1", false, 49},
      // System keys are not stored, nor keys the table does not know.
      {"F10", "F10", false, 0},
      {"Enter", "Enter", true, 0},
      {"Unidentified", "", false, 0},
      {"F", "F25", false, 0}};
  for (auto [key, code, alt, vk] : cases)
    EXPECT_EQ(VirtualKeyFromWeb(key, code, alt), vk) << key << " " << code;
  // The browser keeps its shortcuts and full screen; Ctrl or Command alone is a key.
  using C = WindowCommand;
  for (auto [key, code, ctrl, meta, command] : {std::tuple{"+", "Equal", true, false, C::BrowserShortcut},
                                                {"r", "KeyR", false, true, C::BrowserShortcut},
                                                {"Control", "ControlLeft", true, false, C::None},
                                                {"Meta", "MetaLeft", false, true, C::None},
                                                {"F11", "F11", false, false, C::ToggleFullScreen},
                                                {"r", "KeyR", false, false, C::None}})
    EXPECT_EQ(PageCommand(KeyDownFromWeb(key, code, false, ctrl, meta)), command) << key;
}

// Ctrl and Shift reach the slot when released alone; as part of a combination the
// combination's key alone counts, and a window command stores nothing at all.
TEST(KeyRouter, HoldsCtrlAndShiftUntilTheyAreReleasedAlone) {
  constexpr int Up = 256, Repeat = 512, Command = 1024;  // flags beside a key code
  const std::pair<std::vector<int>, std::string> cases[] = {{{17, 17 | Up}, "\x11"},
                                                            {{16, 16 | Repeat, 16 | Up}, "\x10"},
                                                            {{17, 16, 187 | Command, 16 | Up, 17 | Up}, ""},
                                                            {{17, 187 | Command, 17 | Repeat, 17 | Up}, ""},
                                                            {{16, 82, 16 | Up}, "R"},
                                                            {{37, 37 | Repeat, 82 | Up}, "%%"}};
  for (const auto& [events, stored] : cases) {
    InputSlot slot;
    KeyRouter router(slot);
    std::string got;
    for (int e : events) {
      const uint8_t code = uint8_t(e & 255);
      if (e & Up)
        router.Up(code);
      else
        router.Down(code, e & Repeat, e & Command ? WindowCommand::ZoomIn : WindowCommand::None);
      if (const uint8_t key = slot.Take().key) got += char(key);
    }
    EXPECT_EQ(got, stored) << events.size() << " events, first " << events[0];
  }
}

}  // namespace
}  // namespace dfx
