// dfx: the headless companion of the game, for people and for tests.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "subcommand.h"
#include "version.h"

namespace dfx::tool {

namespace {
struct Entry {
  const char* summary;
  SubcommandMain run;
};
std::map<std::string, Entry>& Registry() {
  static std::map<std::string, Entry> registry;
  return registry;
}
}  // namespace

Subcommand::Subcommand(const char* name, const char* summary, SubcommandMain run) {
  Registry()[name] = Entry{summary, run};
}

bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it == flag) {
      args.erase(it);
      return true;
    }
  }
  return false;
}

bool TakeOption(std::vector<std::string>& args, const std::string& option, std::string* value) {
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it == option && it + 1 != args.end()) {
      *value = *(it + 1);
      args.erase(it, it + 2);
      return true;
    }
    if (it->rfind(option + "=", 0) == 0) {
      *value = it->substr(option.size() + 1);
      args.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace dfx::tool

int main(int argc, char** argv) {
  using namespace dfx::tool;
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
    std::printf("usage: dfx COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& [name, entry] : Registry()) std::printf("  %-12s %s\n", name.c_str(), entry.summary);
    return argc < 2 ? 2 : 0;
  }
  if (std::string(argv[1]) == "--version") {
    std::printf("dfx %s\n", DFX_VERSION_TEXT);
    return 0;
  }
  auto it = Registry().find(argv[1]);
  if (it == Registry().end()) {
    std::fprintf(stderr, "dfx: unknown command '%s' (try dfx --help)\n", argv[1]);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.run(args);
}
