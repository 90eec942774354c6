// Linux and macOS: the game on the SDL window. SDL keeps the main thread; the game
// runs on a second one. Usage: discoflipparex [--zoom N] [--version]
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/program.h"
#include "host/sdl/sdl_host.h"
#include "runtime/data_folder.h"
#include "version.h"

int main(int argc, char** argv) {
  int32_t zoom = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--version") {
      std::printf("discoflipparex %s\n", DFX_VERSION_TEXT);
      return 0;
    }
    if (arg == "--zoom" && i + 1 < argc && std::strlen(argv[i + 1]) == 1 && argv[i + 1][0] >= '1' &&
        argv[i + 1][0] <= '0' + dfx::MaxZoom) {
      zoom = argv[++i][0] - '0';
      continue;
    }
    std::fprintf(stderr, "usage: discoflipparex [--zoom N] [--version]  (N from 1 to %d)\n",
                 int(dfx::MaxZoom));
    return 2;
  }
  std::filesystem::path exeDir;
  if (char* base = SDL_GetBasePath()) {
    exeDir = std::filesystem::path(base).parent_path();  // without the trailing separator
    SDL_free(base);
  }
  dfx::EnterDataFolder(exeDir);
  dfx::SdlHost host(zoom);
  host.Run([&host] { dfx::RunProgram(host); });
}
