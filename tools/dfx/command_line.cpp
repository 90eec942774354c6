// The command line of dfx: the subcommands' registry, parsing and the one-line errors.
#include <cstdio>
#include <map>
#include <string>

#include "subcommand.h"
#include "version.h"

namespace dfx::tool {

namespace {
struct Entry {
  const char* summary;
  SubcommandSetup setup;
};
std::map<std::string, Entry>& Registry() {
  static std::map<std::string, Entry> registry;
  return registry;
}
}  // namespace

Subcommand::Subcommand(const char* name, const char* summary, SubcommandSetup setup) {
  Registry()[name] = Entry{summary, std::move(setup)};
}

int RunCommandLine(int argc, char** argv) {
  CLI::App app{"dfx: the headless companion of the game"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("dfx ") + DFX_VERSION_TEXT);
  std::map<const CLI::App*, std::function<int()>> runs;
  for (const auto& [name, entry] : Registry()) {
    CLI::App* command = app.add_subcommand(name, entry.summary);
    runs[command] = entry.setup(*command);
  }
  if (argc < 2) {
    std::fputs(app.help().c_str(), stderr);
    return 2;
  }
  if (argv[1][0] != '-' && !Registry().count(argv[1])) {
    std::fprintf(stderr, "dfx: unknown command '%s' (see dfx --help)\n", argv[1]);
    return 2;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    // One line, whatever went wrong: scripts read it, people are pointed to --help.
    std::string message = error.what();
    for (char& c : message)
      if (c == '\n') c = ' ';
    const auto chosen = app.get_subcommands();
    const std::string help = chosen.empty() ? "dfx --help" : "dfx " + chosen.front()->get_name() + " --help";
    std::fprintf(stderr, "dfx: %s (see %s)\n", message.c_str(), help.c_str());
    return 2;
  }
  return runs.at(app.get_subcommands().front())();
}

}  // namespace dfx::tool
