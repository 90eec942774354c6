// Asks Windows itself about the program's window, found by its title: class, outer
// rectangle, frame style and small icon, one "name value" line each (the icon only
// where the system answers WM_GETICON across processes, which Wine does not). The X11 side
// under Wine sees only the client part of the frame, so the outer size comes from here.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: win_window_facts TITLE\n");
    return 2;
  }
  HWND window = FindWindowA(nullptr, argv[1]);
  if (!window) {
    std::printf("found 0\n");
    return 1;
  }
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  RECT r{};
  GetWindowRect(window, &r);
  LONG style = GetWindowLongA(window, GWL_STYLE);
  LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  LRESULT icon = SendMessageA(window, WM_GETICON, ICON_SMALL, 0);
  std::printf("found 1\nclass %s\nposition %ld %ld\nsize %ld %ld\n", name, r.left, r.top, r.right - r.left,
              r.bottom - r.top);
  std::printf("resizable %d\nmaximisable %d\nminimisable %d\nclientedge %d\nsmallicon %d\n",
              (style & WS_THICKFRAME) != 0, (style & WS_MAXIMIZEBOX) != 0, (style & WS_MINIMIZEBOX) != 0,
              (exStyle & WS_EX_CLIENTEDGE) != 0, icon != 0);
  return 0;
}
