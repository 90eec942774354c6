// Subcommands of the dfx companion register themselves here; main parses the command
// line (CLI11) and runs the one named.
#pragma once
#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace dfx::tool {

// Declares a subcommand's options on its CLI::App and returns what runs it once they are
// parsed; the result is the exit status.
using SubcommandSetup = std::function<std::function<int()>(CLI::App& command)>;

struct Subcommand {
  Subcommand(const char* name, const char* summary, SubcommandSetup setup);
};

// Parses the command line and runs the subcommand it names; returns the exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace dfx::tool
