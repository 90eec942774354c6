#include "host/web/web_keys.h"

#include <cstring>

#include "host/keys.h"

namespace dfx {

namespace {

struct CodeKey {
  const char* code;  // KeyboardEvent.code: the physical key
  uint8_t vk;
};

constexpr CodeKey CodeKeys[] = {
    {"Backspace", keys::Back},
    {"Tab", keys::Tab},
    {"Enter", keys::Return},
    {"NumpadEnter", keys::Return},
    {"ShiftLeft", keys::Shift},
    {"ShiftRight", keys::Shift},
    {"ControlLeft", keys::Control},
    {"ControlRight", keys::Control},
    {"Pause", keys::Pause},
    {"CapsLock", keys::CapsLock},
    {"Escape", keys::Escape},
    {"Space", keys::Space},
    {"PageUp", keys::PageUp},
    {"PageDown", keys::PageDown},
    {"End", keys::End},
    {"Home", keys::Home},
    {"ArrowLeft", keys::Left},
    {"ArrowUp", keys::Up},
    {"ArrowRight", keys::Right},
    {"ArrowDown", keys::Down},
    {"PrintScreen", keys::PrintScreen},
    {"Insert", keys::Insert},
    {"Delete", keys::Delete},
    {"MetaLeft", keys::LeftWindows},
    {"MetaRight", keys::RightWindows},
    {"ContextMenu", keys::Apps},
    {"Numpad0", keys::Numpad(0)},
    {"Numpad1", keys::Numpad(1)},
    {"Numpad2", keys::Numpad(2)},
    {"Numpad3", keys::Numpad(3)},
    {"Numpad4", keys::Numpad(4)},
    {"Numpad5", keys::Numpad(5)},
    {"Numpad6", keys::Numpad(6)},
    {"Numpad7", keys::Numpad(7)},
    {"Numpad8", keys::Numpad(8)},
    {"Numpad9", keys::Numpad(9)},
    {"NumpadMultiply", keys::Multiply},
    {"NumpadAdd", keys::Add},
    {"NumpadSubtract", keys::Subtract},
    {"NumpadDecimal", keys::Decimal},
    {"NumpadDivide", keys::Divide},
    {"NumLock", keys::NumLock},
    {"ScrollLock", keys::ScrollLock},
    {"Semicolon", keys::Semicolon},
    {"Equal", keys::Equals},
    {"Comma", keys::Comma},
    {"Minus", keys::Minus},
    {"Period", keys::Period},
    {"Slash", keys::Slash},
    {"Backquote", keys::Backquote},
    {"BracketLeft", keys::LeftBracket},
    {"Backslash", keys::Backslash},
    {"BracketRight", keys::RightBracket},
    {"Quote", keys::Quote},
    {"Clear", keys::Clear},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

uint8_t CodeOf(const char* key, const char* code) {
  for (const CodeKey& k : CodeKeys) {
    if (std::strcmp(code, k.code) == 0) return k.vk;
  }
  if (code[0] == 'F' && IsDigit(code[1]) && (code[2] == 0 || (IsDigit(code[2]) && code[3] == 0))) {
    const int n = code[2] ? (code[1] - '0') * 10 + (code[2] - '0') : code[1] - '0';
    return n >= 1 && n <= 24 ? keys::Function(n) : 0;
  }
  // The layout's letter first, whatever the Shift state; then the physical key, so that
  // layouts whose letter keys produce other characters still give the key's letter.
  if (key[0] != 0 && key[1] == 0) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return keys::Letter(char('A' + (c - 'a')));
    if (c >= 'A' && c <= 'Z') return keys::Letter(c);
  }
  if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == 0)
    return keys::Letter(code[3]);
  if (std::strncmp(code, "Digit", 5) == 0 && IsDigit(code[5]) && code[6] == 0)
    return keys::Digit(code[5] - '0');
  return 0;
}

}  // namespace

KeyDown KeyDownFromWeb(const char* key, const char* code, bool alt, bool ctrl, bool meta, bool repeat) {
  if (!key || !code) return {};
  // With Num Lock off the browser names the key a keypad digit acts as (End, ArrowDown,
  // ...); the shared rules turn the digit into that key.
  const bool keypadDigit =
      std::strncmp(code, "Numpad", 6) == 0 && (IsDigit(code[6]) || std::strcmp(code + 6, "Decimal") == 0);
  return KeyDown{.vk = CodeOf(key, code),
                 .alt = alt,
                 .ctrl = ctrl,
                 .meta = meta,
                 .numLock = !keypadDigit || IsDigit(key[0]) || key[0] == '.' || key[0] == ',',
                 .plus = std::strcmp(key, "+") == 0,
                 .zeroKey = std::strcmp(code, "Digit0") == 0,
                 .repeat = repeat};
}

uint8_t VirtualKeyFromWeb(const char* key, const char* code, bool alt) {
  return GameKey(KeyDownFromWeb(key, code, alt));
}

}  // namespace dfx
