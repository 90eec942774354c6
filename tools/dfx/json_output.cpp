#include "json_output.h"

namespace dfx::tool {

Json JsonText(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return Json(std::move(text));
}

std::string JsonLine(const Json& json) { return json.dump(-1, ' ', true) + "\n"; }

std::string ScreenJson(const ScreenText& screen) {
  Json json;
  Json& lines = json["lines"] = Json::array();
  for (const std::string& line : screen.lines) lines.push_back(JsonText(line));
  json["board"] = JsonText(screen.board);
  return JsonLine(json);
}

}  // namespace dfx::tool
