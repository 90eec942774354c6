// dfx format V...: the screen text of each number, one per line.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/number_text.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

bool ParseDouble(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

// "a/b" is the quotient of two doubles, so 2/3 gives the double nearest two thirds.
bool ParseValue(const std::string& text, double* value) {
  auto slash = text.find('/', 1);
  if (slash == std::string::npos) return ParseDouble(text, value);
  double a = 0, b = 0;
  if (!ParseDouble(text.substr(0, slash), &a) || !ParseDouble(text.substr(slash + 1), &b)) return false;
  *value = a / b;
  return true;
}

int Run(const std::vector<std::string>& args) {
  int status = 0;
  for (const std::string& arg : args) {
    double v = 0;
    if (!ParseValue(arg, &v)) {
      std::fprintf(stderr, "dfx format: not a number: %s\n", arg.c_str());
      status = 2;
      continue;
    }
    std::printf("%s\n", FormatNumber(v).c_str());
  }
  return status;
}

std::function<int()> Setup(CLI::App& command) {
  // Everything after the command is a value, negative numbers included.
  command.prefix_command();
  command.footer("VALUE...: C++ doubles, or quotients a/b.\n");
  return [&command] {
    if (command.remaining().empty()) {
      std::fprintf(stderr, "dfx: format needs a value (see dfx format --help)\n");
      return 2;
    }
    return Run(command.remaining());
  };
}

const Subcommand registration("format", "print numbers as the screen shows them", Setup);

}  // namespace
}  // namespace dfx::tool
