// Windows: the game on the Win32 window. WinMain so that the program is a GUI
// program with every toolchain; there is no command line to read.
#include "game/program.h"
#include "host/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  dfx::Win32Host host;
  dfx::RunProgram(host);
}
