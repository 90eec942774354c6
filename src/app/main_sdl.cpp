// Linux and macOS: the game on the SDL window.
#include <cstdio>
#include <cstring>

#include "game/program.h"
#include "host/sdl/sdl_host.h"
#include "version.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("discoflipparex %s\n", DFX_VERSION_TEXT);
    return 0;
  }
  dfx::SdlHost host;
  dfx::RunProgram(host);
}
