#include <gtest/gtest.h>

#include "host/web/web_host.h"

namespace dfx {
namespace {

TEST(VirtualKeyFromWeb, GivesWindowsCodesAndDropsSystemKeys) {
  const std::tuple<const char*, const char*, bool, int> cases[] = {
      {"ArrowLeft", "ArrowLeft", false, 37},
      {"Enter", "NumpadEnter", false, 13},
      {"Backspace", "Backspace", false, 8},
      {" ", "Space", false, 32},
      {"Escape", "Escape", false, 27},
      {"Shift", "ShiftRight", false, 16},
      {"1", "Digit1", false, 49},
      {"F1", "F1", false, 112},
      {"F24", "F24", false, 135},
      // The keypad follows Num Lock: with it off the browser names the key the digit stands for.
      {"1", "Numpad1", false, 97},
      {"0", "Numpad0", false, 96},
      {".", "NumpadDecimal", false, 110},
      {"End", "Numpad1", false, 35},
      {"ArrowDown", "Numpad2", false, 40},
      {"Clear", "Numpad5", false, 12},
      {"Delete", "NumpadDecimal", false, 46},
      // Letters ignore Shift; a non-Latin layout gives the physical key's letter, and a
      // layout whose digit row needs Shift still gives the digit.
      {"r", "KeyR", false, 82},
      {"R", "KeyR", false, 82},
      {"\xD0\xBA", "KeyR", false, 82},
      {"z", "KeyY", false, 90},
      {"&", "Digit1", false, 49},
      // System keys are not stored, nor keys the table does not know.
      {"F10", "F10", false, 0},
      {"Alt", "AltLeft", true, 0},
      {"F4", "F4", true, 0},
      {"Enter", "Enter", true, 0},
      {"Unidentified", "", false, 0},
      {"F", "F25", false, 0}};
  for (auto [key, code, alt, vk] : cases)
    EXPECT_EQ(VirtualKeyFromWeb(key, code, alt), vk) << key << " " << code;
}

}  // namespace
}  // namespace dfx
