// Browser key-downs to Windows virtual-key codes. Pure C++ so that it builds and is
// tested natively as well.
#include <cstring>

#include "host/web/web_host.h"

namespace dfx {

namespace {

struct CodeKey {
  const char* code;  // KeyboardEvent.code: the physical key
  uint8_t vk;
};

constexpr CodeKey CodeKeys[] = {
    {"Backspace", 8},       {"Tab", 9},             {"Enter", 13},          {"NumpadEnter", 13},
    {"ShiftLeft", 16},      {"ShiftRight", 16},     {"ControlLeft", 17},    {"ControlRight", 17},
    {"Pause", 19},          {"CapsLock", 20},       {"Escape", 27},         {"Space", 32},
    {"PageUp", 33},         {"PageDown", 34},       {"End", 35},            {"Home", 36},
    {"ArrowLeft", 37},      {"ArrowUp", 38},        {"ArrowRight", 39},     {"ArrowDown", 40},
    {"PrintScreen", 44},    {"Insert", 45},         {"Delete", 46},         {"MetaLeft", 91},
    {"MetaRight", 92},      {"ContextMenu", 93},    {"Numpad0", 96},        {"Numpad1", 97},
    {"Numpad2", 98},        {"Numpad3", 99},        {"Numpad4", 100},       {"Numpad5", 101},
    {"Numpad6", 102},       {"Numpad7", 103},       {"Numpad8", 104},       {"Numpad9", 105},
    {"NumpadMultiply", 106}, {"NumpadAdd", 107},    {"NumpadSubtract", 109}, {"NumpadDecimal", 110},
    {"NumpadDivide", 111},  {"NumLock", 144},       {"ScrollLock", 145},    {"Semicolon", 186},
    {"Equal", 187},         {"Comma", 188},         {"Minus", 189},         {"Period", 190},
    {"Slash", 191},         {"Backquote", 192},     {"BracketLeft", 219},   {"Backslash", 220},
    {"BracketRight", 221},  {"Quote", 222},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

uint8_t VirtualKeyFromWeb(const char* key, const char* code, bool alt) {
  if (alt || !key || !code) return 0;
  for (const CodeKey& k : CodeKeys) {
    if (std::strcmp(code, k.code) == 0) return k.vk;
  }
  // F1..F24; F10 is a system key on Windows and never reaches the slot.
  if (code[0] == 'F' && IsDigit(code[1]) && (code[2] == 0 || (IsDigit(code[2]) && code[3] == 0))) {
    const int n = code[2] ? (code[1] - '0') * 10 + (code[2] - '0') : code[1] - '0';
    if (n >= 1 && n <= 24 && n != 10) return uint8_t(111 + n);
    return 0;
  }
  // The layout's letter first, whatever the Shift state; then the physical key, so that
  // layouts whose letter keys produce other characters still give the key's letter.
  if (key[0] != 0 && key[1] == 0) {
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return uint8_t('A' + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return uint8_t(c);
  }
  if (std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == 0) return uint8_t(code[3]);
  if (std::strncmp(code, "Digit", 5) == 0 && IsDigit(code[5]) && code[6] == 0) return uint8_t(code[5]);
  return 0;
}

}  // namespace dfx
