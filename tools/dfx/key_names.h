// Key scripts for the headless runs: names of Windows virtual keys to codes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dfx::tool {

// "RETURN", "LEFT", "NUMPAD1", "A", "7" (a digit key), "113" (a raw code), ...
std::optional<uint8_t> KeyCode(const std::string& name);
// Splits on blanks and commas; nullopt (with the bad name in *bad) if one is unknown.
std::optional<std::vector<uint8_t>> ParseKeyScript(const std::string& script, std::string* bad);

}  // namespace dfx::tool
