// Key scripts for the headless runs: names of Windows virtual keys to codes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/input_slot.h"

namespace dfx::tool {

// "RETURN", "LEFT", "NUMPAD1", "A", "7" (a digit key), "113" (a raw code), ...
std::optional<uint8_t> KeyCode(const std::string& name);
// Splits on blanks and commas; nullopt (with the bad name in *bad) if one is unknown.
std::optional<std::vector<uint8_t>> ParseKeyScript(const std::string& script, std::string* bad);
// The same with pointer presses beside the keys: "TAP:x,y" presses pixel (x, y) of the
// 640x204 picture (its comma does not split it).
std::optional<std::vector<Input>> ParseInputScript(const std::string& script, std::string* bad);

}  // namespace dfx::tool
