// The close request of host_window_app, kept apart from the SDL and game headers.
#include <X11/Xlib.h>

#include <cstdlib>

// WM_DELETE_WINDOW, the request a window manager sends when the user closes a window.
int RunClose(const char* windowText) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = Window(std::strtoul(windowText, nullptr, 0));
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, e.xclient.window, False, NoEventMask, &e);
  XSync(display, False);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
