#include "key_names.h"

#include <cctype>
#include <map>

#include "host/host.h"
#include "host/keys.h"

namespace dfx::tool {

std::optional<uint8_t> KeyCode(const std::string& rawName) {
  std::string name;
  for (char c : rawName) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::map<std::string, uint8_t> named = {
      {"BACK", keys::Back},
      {"BACKSPACE", keys::Back},
      {"TAB", keys::Tab},
      {"RETURN", keys::Return},
      {"ENTER", keys::Return},
      {"SHIFT", keys::Shift},
      {"CONTROL", keys::Control},
      {"CTRL", keys::Control},
      {"ESCAPE", keys::Escape},
      {"ESC", keys::Escape},
      {"SPACE", keys::Space},
      {"LEFT", keys::Left},
      {"UP", keys::Up},
      {"RIGHT", keys::Right},
      {"DOWN", keys::Down},
      {"DELETE", keys::Delete},
      {"MULTIPLY", keys::Multiply},
      {"ADD", keys::Add},
      {"SUBTRACT", keys::Subtract},
      {"DECIMAL", keys::Decimal},
      {"DIVIDE", keys::Divide},
  };
  if (auto it = named.find(name); it != named.end()) return it->second;
  if (name.size() == 1 && std::isupper(static_cast<unsigned char>(name[0]))) return keys::Letter(name[0]);
  if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0])))
    return keys::Digit(name[0] - '0');
  if (name.size() == 7 && name.rfind("NUMPAD", 0) == 0 && std::isdigit(static_cast<unsigned char>(name[6])))
    return keys::Numpad(name[6] - '0');
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' &&
      std::isdigit(static_cast<unsigned char>(name[1]))) {
    int n = std::stoi(name.substr(1));
    if (n >= 1 && n <= 24) return keys::Function(n);
  }
  if (!name.empty() && name.size() <= 3) {
    bool digits = true;
    for (char c : name) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (digits) {
      int code = std::stoi(name);
      if (code >= 1 && code <= 255) return static_cast<uint8_t>(code);
    }
  }
  return std::nullopt;
}

namespace {

constexpr const char* TapPrefix = "TAP:";

bool IsTap(const std::string& word) {
  if (word.size() < 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if (std::toupper(static_cast<unsigned char>(word[i])) != TapPrefix[i]) return false;
  return true;
}

// "x,y" in picture pixels, each a plain decimal inside the picture.
std::optional<Input> ParseTap(const std::string& word) {
  const std::string point = word.substr(4);
  const size_t comma = point.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const auto number = [](const std::string& text, int limit) -> std::optional<int16_t> {
    if (text.empty() || text.size() > 4) return std::nullopt;
    for (char c : text)
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int n = std::stoi(text);
    return n < limit ? std::optional<int16_t>(int16_t(n)) : std::nullopt;
  };
  const auto x = number(point.substr(0, comma), ClientWidth),
             y = number(point.substr(comma + 1), ClientHeight);
  if (!x || !y) return std::nullopt;
  return Input{.press = true, .x = *x, .y = *y};
}

}  // namespace

std::optional<std::vector<Input>> ParseInputScript(const std::string& script, std::string* bad) {
  std::vector<Input> inputs;
  std::string word;
  auto flush = [&]() -> bool {
    if (word.empty()) return true;
    std::optional<Input> in;
    if (IsTap(word)) {
      in = ParseTap(word);
    } else if (auto code = KeyCode(word)) {
      in = Input{.key = *code};
    }
    if (!in) {
      if (bad) *bad = word;
      return false;
    }
    inputs.push_back(*in);
    word.clear();
    return true;
  };
  for (char c : script) {
    if (c == ',' && IsTap(word) && word.find(',') == std::string::npos) {
      word += c;  // the comma between a tap's x and y
    } else if (c == ' ' || c == ',' || c == '\t' || c == '\n') {
      if (!flush()) return std::nullopt;
    } else {
      word += c;
    }
  }
  if (!flush()) return std::nullopt;
  return inputs;
}

std::optional<std::vector<uint8_t>> ParseKeyScript(const std::string& script, std::string* bad) {
  const auto inputs = ParseInputScript(script, bad);
  if (!inputs) return std::nullopt;
  std::vector<uint8_t> codes;
  for (const Input& in : *inputs) {
    if (in.press) {
      if (bad) *bad = TapPrefix + std::to_string(in.x) + "," + std::to_string(in.y);
      return std::nullopt;
    }
    codes.push_back(in.key);
  }
  return codes;
}

}  // namespace dfx::tool
