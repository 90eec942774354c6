// Windows: the game on the Win32 window. WinMain so that the program is a GUI
// program with every toolchain; there is no command line to read.
#include <filesystem>
#include <string>

#include "game/program.h"
#include "host/win32/win32_host.h"
#include "runtime/data_folder.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A shortcut may start the program in another folder; its res is then beside it. The
  // wide name: the ANSI one turns characters outside the code page into '?'.
  std::wstring exe(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()))) == exe.size() &&
         exe.size() < 32768)
    exe.resize(exe.size() * 2);
  dfx::EnterDataFolder(length > 0 && length < exe.size()
                           ? std::filesystem::path(exe.substr(0, length)).parent_path()
                           : std::filesystem::path());
  dfx::Win32Host host;
  dfx::RunProgram(host);
}
