// The program itself on any host: start-up in its fixed order, then title screen
// and games for ever. Each platform's main() builds its host and calls RunProgram.
#pragma once
#include "host/host.h"

namespace dfx {

// Never returns on a real host: the window thread ends the process when the window
// closes. On the memory host it ends by whatever the key script's end does.
[[noreturn]] void RunProgram(Host& host);

}  // namespace dfx
