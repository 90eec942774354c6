// Subcommands of the dfx companion register themselves here; main parses the command
// line (CLI11) and runs the one named. Shared helpers for JSON output live here too.
#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace dfx::tool {

// Declares a subcommand's options on its CLI::App and returns what runs it once they are
// parsed; the result is the exit status.
using SubcommandSetup = std::function<std::function<int()>(CLI::App& command)>;

struct Subcommand {
  Subcommand(const char* name, const char* summary, SubcommandSetup setup);
};

// JSON objects keep the order their fields were written in.
using Json = nlohmann::ordered_json;

// Screen and file text as a JSON string: bytes below 128 as themselves, bytes above 127
// as the code points U+0080..U+00FF (the byte read as Latin-1), so any bytes make valid
// JSON.
Json JsonText(std::string_view bytes);
// One line of JSON: ASCII only, with \uXXXX escapes for control codes and the code points
// above 127.
std::string JsonLine(const Json& json);

}  // namespace dfx::tool
