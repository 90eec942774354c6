// The screen as dfx prints it for scripts: one JSON object with the six text lines and
// the 64 board squares.
#pragma once
#include <string>

#include "lcd/screen_reader.h"

namespace dfx::tool {

// {"lines":[...6 strings...],"board":"..."} and a line end; valid JSON whatever bytes the
// lines hold.
std::string ScreenJson(const ScreenText& screen);

}  // namespace dfx::tool
