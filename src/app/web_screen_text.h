// The browser host for a page that also keeps, in its document, what the LCD shows, for
// screen readers: whenever the game starts to wait for input, the canvas is read back
// with the glyph matcher of `dfx read-screen` and handed to the page's screen_text.js.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/web/web_host.h"
#include "image/portable/pixel_surface.h"
#include "screen_reader/screen_reader.h"

namespace dfx {

// The board square (0..63, row 1 first) whose cursor box is drawn in the picture of the
// window (LCD face at its top-left), or -1 when there is none.
int ReadCursorSquare(const ScreenReader& reader, const portable::PixelSurface& shot);

class ScreenTextWebHost : public WebHost {
 public:
  explicit ScreenTextWebHost(const char* canvasSelector) : WebHost(canvasSelector) {}

 protected:
  void WaitingForInput() override;

 private:
  ScreenReader reader_;
  bool glyphsLoaded_ = false;
  std::vector<uint8_t> rgba_;
};

}  // namespace dfx
