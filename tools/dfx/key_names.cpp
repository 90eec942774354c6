#include "key_names.h"

#include <cctype>
#include <map>

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

std::optional<std::vector<uint8_t>> ParseKeyScript(const std::string& script, std::string* bad) {
  std::vector<uint8_t> codes;
  std::string word;
  auto flush = [&]() -> bool {
    if (word.empty()) return true;
    auto code = KeyCode(word);
    if (!code) {
      if (bad) *bad = word;
      return false;
    }
    codes.push_back(*code);
    word.clear();
    return true;
  };
  for (char c : script) {
    if (c == ' ' || c == ',' || c == '\t' || c == '\n') {
      if (!flush()) return std::nullopt;
    } else {
      word += c;
    }
  }
  if (!flush()) return std::nullopt;
  return codes;
}

}  // namespace dfx::tool
