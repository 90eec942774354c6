// SDL key-downs named in Windows codes; the rules that follow are the shared ones.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "host/key_rules.h"

namespace dfx {

// SDL on Cocoa never reports Num Lock (a Mac keyboard has none): the keypad's digits
// are digits there.
#ifdef __APPLE__
constexpr bool SdlReportsNumLock = false;
#else
constexpr bool SdlReportsNumLock = true;
#endif

KeyDown KeyDownFromSdl(const SDL_Keysym& key, bool repeat = false, bool reportsNumLock = SdlReportsNumLock);

// The code stored for an SDL key-down (0: not stored), and what it does to the window.
inline uint8_t VirtualKeyFromSdl(const SDL_Keysym& key) { return GameKey(KeyDownFromSdl(key)); }
inline WindowCommand WindowCommandFromSdl(const SDL_Keysym& key) {
  return DesktopCommand(KeyDownFromSdl(key));
}

}  // namespace dfx
