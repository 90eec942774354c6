// Asks Windows itself about the program's window, found by its title: class, outer
// rectangle, which frame boxes it has and the sunken client edge, on one line. The X11
// side under Wine sees only the client part of the frame, so the outer size comes from here.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  HWND window = argc == 2 ? FindWindowA(nullptr, argv[1]) : nullptr;
  char name[64] = "none";
  RECT r{};
  if (window) GetClassNameA(window, name, sizeof name), GetWindowRect(window, &r);
  const LONG boxes = GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX);
  std::printf("%s %ld %ld %ld %ld %s %s\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top,
              boxes == WS_MINIMIZEBOX ? "minimisable-only" : "other-boxes",
              GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE ? "clientedge" : "flat");
}
