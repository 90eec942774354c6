// Subcommands of the dfx companion register themselves here; main dispatches.
#pragma once
#include <string>
#include <vector>

namespace dfx::tool {

using SubcommandMain = int (*)(const std::vector<std::string>& args);

struct Subcommand {
  Subcommand(const char* name, const char* summary, SubcommandMain run);
};

// Small helpers the subcommands share for their arguments.
bool TakeFlag(std::vector<std::string>& args, const std::string& flag);
bool TakeOption(std::vector<std::string>& args, const std::string& option, std::string* value);

}  // namespace dfx::tool
