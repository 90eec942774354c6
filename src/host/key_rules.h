// The key rules every portable front end shares: what reaches the game (no system keys,
// the keypad after Num Lock), which keys make a window command instead, and how Ctrl and
// Shift are held back until it is clear they are not part of such a command. Each front
// end only names its keys in Windows codes; the rules are applied here, once.
#pragma once
#include <cstdint>

#include "host/input_slot.h"

namespace dfx {

// A key-down as a front end's map names it, before the rules.
struct KeyDown {
  uint8_t vk = 0;  // the Windows code; keypad digits as Numpad0..9 and Decimal whatever Num Lock
  bool alt = false;
  bool ctrl = false;
  bool meta = false;     // the Command or Windows key held
  bool numLock = true;   // off: the keypad acts as the keys printed under its digits
  bool plus = false;     // the layout prints + on this key (Shift+= on a US keyboard)
  bool zeroKey = false;  // the digit row's 0 key, whatever the layout prints on it
  bool repeat = false;   // auto-repeat
};

// What a key does to the window itself; such keys never reach the game.
enum class WindowCommand { None, ZoomIn, ZoomOut, ZoomReset, ToggleFullScreen, BrowserShortcut };

// The code the game is given, or 0 for keys that are not stored: any key with Alt held,
// Alt itself and F10, which Windows reports as system keys.
uint8_t GameKey(const KeyDown& key);

// A desktop window's own keys: Ctrl+Plus (or =), Ctrl+Minus, Ctrl+0 (the digit row's 0
// key whatever the layout prints on it), F11 and Alt+Enter.
WindowCommand DesktopCommand(const KeyDown& key);
// A page's: the browser keeps every Ctrl or Command combination (its zoom, reload,
// tabs) and F11.
WindowCommand PageCommand(const KeyDown& key);

// Between a front end's key events and the slot. Ctrl and Shift are stored when they
// are released with no other key pressed meanwhile; with another key they were part of
// a combination, and the combination's key alone counts (or nothing, for a command).
class KeyRouter {
 public:
  explicit KeyRouter(InputSlot& slot) : slot_(slot) {}
  // A key-down: code is GameKey's answer; a window command stores nothing.
  void Down(uint8_t code, bool repeat, WindowCommand command);
  void Up(uint8_t code);
  // The page lost the focus: a release may never come (a desktop window keeps its held keys,
  // since its own full-screen toggle moves the focus while Ctrl is down).
  void Forget() { held_ = 0; }

 private:
  InputSlot& slot_;
  uint8_t held_ = 0;  // bit 0: Shift, bit 1: Ctrl, pressed alone so far
};

}  // namespace dfx
