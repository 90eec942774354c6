#include "host/key_rules.h"

#include "host/keys.h"

namespace dfx {

namespace {

uint8_t HeldBit(uint8_t code) { return code == keys::Shift ? 1 : code == keys::Control ? 2 : 0; }

}  // namespace

uint8_t GameKey(const KeyDown& key) {
  if (key.alt || key.vk == keys::Function(10)) return 0;
  if (key.numLock) return key.vk;
  // As on Windows: with Num Lock off the keypad gives the keys printed under its digits.
  constexpr uint8_t NumLockOff[10] = {keys::Insert, keys::End,   keys::Down, keys::PageDown, keys::Left,
                                      keys::Clear,  keys::Right, keys::Home, keys::Up,       keys::PageUp};
  if (key.vk >= keys::Numpad(0) && key.vk <= keys::Numpad(9)) return NumLockOff[key.vk - keys::Numpad(0)];
  return key.vk == keys::Decimal ? keys::Delete : key.vk;
}

WindowCommand DesktopCommand(const KeyDown& key) {
  if (key.vk == keys::Function(11) || (key.alt && key.vk == keys::Return))
    return WindowCommand::ToggleFullScreen;
  if (!key.ctrl || key.alt) return WindowCommand::None;
  if (key.plus || key.vk == keys::Equals || key.vk == keys::Add) return WindowCommand::ZoomIn;
  if (key.vk == keys::Minus || key.vk == keys::Subtract) return WindowCommand::ZoomOut;
  if (key.zeroKey || key.vk == keys::Digit0 || key.vk == keys::Numpad(0)) return WindowCommand::ZoomReset;
  return WindowCommand::None;
}

WindowCommand PageCommand(const KeyDown& key) {
  if (key.vk == keys::Function(11)) return WindowCommand::ToggleFullScreen;
  const bool modifier =
      key.vk == keys::Control || key.vk == keys::LeftWindows || key.vk == keys::RightWindows;
  return (key.ctrl || key.meta) && !modifier ? WindowCommand::BrowserShortcut : WindowCommand::None;
}

void KeyRouter::Down(uint8_t code, bool repeat, WindowCommand command) {
  const uint8_t bit = command == WindowCommand::None ? HeldBit(code) : 0;
  if (bit != 0) {
    // Held alone until released; a repeat changes nothing.
    if (!repeat) held_ |= bit;
    return;
  }
  held_ = 0;
  // Auto-repeat stores again; an unread key is simply replaced.
  if (command == WindowCommand::None && code != 0) slot_.StoreKey(code);
}

void KeyRouter::Up(uint8_t code) {
  const uint8_t bit = HeldBit(code);
  if (bit == 0 || !(held_ & bit)) return;
  held_ &= uint8_t(~bit);
  slot_.StoreKey(code);
}

}  // namespace dfx
