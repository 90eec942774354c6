// Browser key-downs named in Windows codes; the rules that follow are the shared ones.
// Pure C++, so that it builds and is tested natively as well.
#pragma once
#include <cstdint>

#include "host/key_rules.h"

namespace dfx {

// From KeyboardEvent.key (what the layout prints) and .code (the physical key).
KeyDown KeyDownFromWeb(const char* key, const char* code, bool alt, bool ctrl = false, bool meta = false,
                       bool repeat = false);

// The code stored for a browser key-down, or 0 for keys that are not stored.
uint8_t VirtualKeyFromWeb(const char* key, const char* code, bool alt);

}  // namespace dfx
