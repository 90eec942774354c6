// Asks Windows itself about the program's window, found by its title: class, outer
// rectangle and frame style, one "name value" line each. The X11 side under Wine sees
// only the client part of the frame, so the outer size comes from here. (The small icon
// is checked in-process: Wine answers WM_GETICON only within the window's own process.)
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  HWND window = argc == 2 ? FindWindowA(nullptr, argv[1]) : nullptr;
  if (!window) return std::puts("found 0"), 1;
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  RECT r{};
  GetWindowRect(window, &r);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  std::printf("found 1\nclass %s\nposition %ld %ld\nsize %ld %ld\nresizable %d\nmaximisable %d\nminimisable %d\nclientedge %d\n",
              name, r.left, r.top, r.right - r.left, r.bottom - r.top, (style & WS_THICKFRAME) != 0,
              (style & WS_MAXIMIZEBOX) != 0, (style & WS_MINIMIZEBOX) != 0,
              (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
}
