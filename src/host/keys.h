// Key codes: the Windows virtual-key numbers on every platform. The game compares
// with them, the portable hosts map their own keys to them, and key scripts name them.
#pragma once
#include <cstdint>

namespace dfx::keys {

constexpr uint8_t Back = 8;
constexpr uint8_t Tab = 9;
constexpr uint8_t Clear = 12;   // keypad 5 with Num Lock off
constexpr uint8_t Return = 13;  // Enter, also the keypad's
constexpr uint8_t Shift = 16;
constexpr uint8_t Control = 17;
constexpr uint8_t Pause = 19;
constexpr uint8_t CapsLock = 20;
constexpr uint8_t Escape = 27;
constexpr uint8_t Space = 32;
constexpr uint8_t PageUp = 33;
constexpr uint8_t PageDown = 34;
constexpr uint8_t End = 35;
constexpr uint8_t Home = 36;
constexpr uint8_t Left = 37;
constexpr uint8_t Up = 38;
constexpr uint8_t Right = 39;
constexpr uint8_t Down = 40;
constexpr uint8_t PrintScreen = 44;
constexpr uint8_t Insert = 45;
constexpr uint8_t Delete = 46;
constexpr uint8_t Digit0 = 48;   // '0'..'9'
constexpr uint8_t LetterA = 65;  // 'A'..'Z', whatever the Shift state
constexpr uint8_t LeftWindows = 91;
constexpr uint8_t RightWindows = 92;
constexpr uint8_t Apps = 93;
constexpr uint8_t Numpad0 = 96;  // keypad digits, with Num Lock on
constexpr uint8_t Multiply = 106;
constexpr uint8_t Add = 107;
constexpr uint8_t Subtract = 109;
constexpr uint8_t Decimal = 110;
constexpr uint8_t Divide = 111;
constexpr uint8_t F1 = 112;  // F1..F24
constexpr uint8_t NumLock = 144;
constexpr uint8_t ScrollLock = 145;
// The punctuation keys of a US layout.
constexpr uint8_t Semicolon = 186;
constexpr uint8_t Equals = 187;
constexpr uint8_t Comma = 188;
constexpr uint8_t Minus = 189;
constexpr uint8_t Period = 190;
constexpr uint8_t Slash = 191;
constexpr uint8_t Backquote = 192;
constexpr uint8_t LeftBracket = 219;
constexpr uint8_t Backslash = 220;
constexpr uint8_t RightBracket = 221;
constexpr uint8_t Quote = 222;

constexpr uint8_t Digit(int n) { return uint8_t(Digit0 + n); }
constexpr uint8_t Numpad(int n) { return uint8_t(Numpad0 + n); }
constexpr uint8_t Letter(char upper) { return uint8_t(LetterA + (upper - 'A')); }
constexpr uint8_t Function(int n) { return uint8_t(F1 + n - 1); }

// The keys the game's screens answer to.
constexpr uint8_t One = Digit(1);
constexpr uint8_t Two = Digit(2);
constexpr uint8_t NumpadOne = Numpad(1);
constexpr uint8_t NumpadTwo = Numpad(2);
constexpr uint8_t R = Letter('R');

}  // namespace dfx::keys
