// Windows: the game on the Win32 window. WinMain so that the program is a GUI
// program with every toolchain; there is no command line to read.
#include <filesystem>

#include "game/program.h"
#include "host/win32/win32_host.h"
#include "runtime/data_folder.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A shortcut may start the program in another folder; its res is then beside it.
  char exe[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  dfx::EnterDataFolder(length > 0 && length < MAX_PATH ? std::filesystem::path(exe).parent_path()
                                                       : std::filesystem::path());
  dfx::Win32Host host;
  dfx::RunProgram(host);
}
