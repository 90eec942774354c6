// The JSON dfx prints (nlohmann/json): text of any bytes as a JSON string, one object a
// line, and the screen as read back for scripts.
#pragma once
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "screen_reader/screen_reader.h"

namespace dfx::tool {

// JSON objects keep the order their fields were written in.
using Json = nlohmann::ordered_json;

// Screen and file text as a JSON string: bytes below 128 as themselves, bytes above 127
// as the code points U+0080..U+00FF (the byte read as Latin-1), so any bytes make valid
// JSON.
Json JsonText(std::string_view bytes);
// One line of JSON: ASCII only, with \uXXXX escapes for control codes and the code points
// above 127.
std::string JsonLine(const Json& json);

// {"lines":[...6 strings...],"board":"..."} on one line.
std::string ScreenJson(const ScreenText& screen);

}  // namespace dfx::tool
