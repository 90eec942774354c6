// A stand-in for the game on the Win32 or SDL host, for the real-window tests: it draws
// the LCD with the start position and a heading (on SDL, whether events run on the main
// thread and the game apart), then prints each key's code in the side panel and puts a
// Black disc on the next square, so that a screenshot shows texts, board and keys.
#include <string>
#include <thread>

#ifdef _WIN32
#include "host/win32/win32_host.h"
#else
#include "host/sdl/sdl_host.h"
#endif
#include "lcd/lcd.h"

namespace {

[[noreturn]] void Probe(dfx::Host& host, const char* heading) {
  host.StartWindow();
  host.FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  dfx::Lcd lcd;
  lcd.padSpaces = std::string(15, ' ');
  lcd.CreateGlyphObjects(host);
  lcd.LoadGlyphSet();
  lcd.LcdClear();
  auto square = [&lcd](int x, int y, int glyph) {
    lcd.DrawGlyph(glyph, dfx::DotPixel(dfx::SquareDot(x)), dfx::DotPixel(dfx::SquareDot(y)));
  };
  for (int i = 0; i < 64; ++i) square(1 + i % 8, 1 + i / 8, dfx::EmptySquareGlyph);
  for (int i = 0; i < 4; ++i) square(4 + i % 2, 4 + i / 2, i % 3 ? 15 : 11);  // the start position
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.LcdLocate(9, 0);
  lcd.LcdPrint(heading);
  for (int n = 0;; ++n) {
    const int16_t key = dfx::WaitKey(host);
    lcd.LcdLocate(9, int16_t(1 + n % 5));
    lcd.LcdPrint("KEY ");
    lcd.LcdPrintNumber(3, key);
    square(1 + n % 8, 1 + n / 8 % 8, 15);
  }
}

}  // namespace

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  dfx::Win32Host host;
  Probe(host, "PROBE");
}
#else
int main() {
  dfx::SdlHost host(1);
  const std::thread::id main = std::this_thread::get_id();
  host.Run([&] {
    Probe(host, host.EventThread() == main && host.GameThread() != main ? "PROBE" : "WRONG THREADS");
  });
  return 1;
}
#endif
