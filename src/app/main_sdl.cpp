// Linux and macOS: the game on the SDL window.
#include "game/program.h"
#include "host/sdl/sdl_host.h"

int main() {
  dfx::SdlHost host;
  dfx::RunProgram(host);
}
