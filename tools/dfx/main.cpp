// dfx: the headless companion of the game, for people and for tests. Its subcommands live
// in the dfx_tool library.
#include "subcommand.h"

int main(int argc, char** argv) { return dfx::tool::RunCommandLine(argc, argv); }
