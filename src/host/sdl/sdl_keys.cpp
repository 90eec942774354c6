#include "host/sdl/sdl_keys.h"

#include "host/keys.h"

namespace dfx {

namespace {

uint8_t CodeOf(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return keys::Letter(char('A' + (k - SDLK_a)));
  if (k >= SDLK_0 && k <= SDLK_9) return keys::Digit(k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return keys::Function(1 + (k - SDLK_F1));
  if (k >= SDLK_F13 && k <= SDLK_F24) return keys::Function(13 + (k - SDLK_F13));
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return keys::Numpad(1 + (k - SDLK_KP_1));
  switch (k) {
    case SDLK_KP_0: return keys::Numpad(0);
    case SDLK_KP_PERIOD: return keys::Decimal;
    case SDLK_BACKSPACE: return keys::Back;
    case SDLK_TAB: return keys::Tab;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return keys::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return keys::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return keys::Control;
    case SDLK_PAUSE: return keys::Pause;
    case SDLK_CAPSLOCK: return keys::CapsLock;
    case SDLK_ESCAPE: return keys::Escape;
    case SDLK_SPACE: return keys::Space;
    case SDLK_PAGEUP: return keys::PageUp;
    case SDLK_PAGEDOWN: return keys::PageDown;
    case SDLK_END: return keys::End;
    case SDLK_HOME: return keys::Home;
    case SDLK_LEFT: return keys::Left;
    case SDLK_UP: return keys::Up;
    case SDLK_RIGHT: return keys::Right;
    case SDLK_DOWN: return keys::Down;
    case SDLK_PRINTSCREEN: return keys::PrintScreen;
    case SDLK_INSERT: return keys::Insert;
    case SDLK_DELETE: return keys::Delete;
    case SDLK_LGUI: return keys::LeftWindows;
    case SDLK_RGUI: return keys::RightWindows;
    case SDLK_APPLICATION: return keys::Apps;
    case SDLK_KP_MULTIPLY: return keys::Multiply;
    case SDLK_KP_PLUS: return keys::Add;
    case SDLK_KP_MINUS: return keys::Subtract;
    case SDLK_KP_DIVIDE: return keys::Divide;
    case SDLK_NUMLOCKCLEAR: return keys::NumLock;
    case SDLK_SCROLLLOCK: return keys::ScrollLock;
    case SDLK_SEMICOLON: return keys::Semicolon;
    case SDLK_EQUALS: return keys::Equals;
    case SDLK_COMMA: return keys::Comma;
    case SDLK_MINUS: return keys::Minus;
    case SDLK_PERIOD: return keys::Period;
    case SDLK_SLASH: return keys::Slash;
    case SDLK_BACKQUOTE: return keys::Backquote;
    case SDLK_LEFTBRACKET: return keys::LeftBracket;
    case SDLK_BACKSLASH: return keys::Backslash;
    case SDLK_RIGHTBRACKET: return keys::RightBracket;
    case SDLK_QUOTE: return keys::Quote;
    default: return 0;
  }
}

}  // namespace

KeyDown KeyDownFromSdl(const SDL_Keysym& key, bool repeat, bool reportsNumLock) {
  KeyDown down{.vk = CodeOf(key.sym),
               .alt = (key.mod & KMOD_ALT) != 0,
               .ctrl = (key.mod & KMOD_CTRL) != 0,
               .meta = (key.mod & KMOD_GUI) != 0,
               .numLock = !reportsNumLock || (key.mod & KMOD_NUM) != 0,
               .plus = key.sym == SDLK_PLUS,
               .zeroKey = key.scancode == SDL_SCANCODE_0,
               .repeat = repeat};
  // Layouts whose letter or digit keys produce other characters still give the key's
  // letter or digit (an AZERTY digit row, a Cyrillic letter).
  const SDL_Scancode s = key.scancode;
  if (down.vk == 0 && s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z)
    down.vk = keys::Letter(char('A' + (s - SDL_SCANCODE_A)));
  if (down.vk == 0 && s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9)
    down.vk = keys::Digit(1 + (s - SDL_SCANCODE_1));
  if (down.vk == 0 && s == SDL_SCANCODE_0) down.vk = keys::Digit0;
  return down;
}

}  // namespace dfx
