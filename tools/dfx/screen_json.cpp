#include "screen_json.h"

#include "subcommand.h"

namespace dfx::tool {

std::string ScreenJson(const ScreenText& screen) {
  Json json;
  Json& lines = json["lines"] = Json::array();
  for (const std::string& line : screen.lines) lines.push_back(JsonText(line));
  json["board"] = JsonText(screen.board);
  return JsonLine(json);
}

}  // namespace dfx::tool
