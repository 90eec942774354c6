// A stand-in for the game on the Win32 host: after the handshake and the final set-up
// it draws the LCD with the start position and a heading, then for every key prints
// the key code in the side panel and puts a Black disc on the next square, so that a
// real-window test can read texts, board and keys back from a screenshot.
#include <string>

#include "host/win32/win32_host.h"
#include "lcd/lcd.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  dfx::Win32Host host;
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
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) square(x, y, dfx::EmptySquareGlyph);
  }
  square(4, 4, 11);
  square(5, 5, 11);
  square(4, 5, 15);
  square(5, 4, 15);
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.LcdLocate(9, 0);
  lcd.LcdPrint("WIN32 PROBE");

  for (int n = 0;; ++n) {
    int16_t key = dfx::WaitKey(host);
    lcd.LcdLocate(9, int16_t(1 + n % 5));
    lcd.LcdPrint(lcd.padSpaces);
    lcd.LcdLocate(9, int16_t(1 + n % 5));
    lcd.LcdPrint("KEY ");
    lcd.LcdPrintNumber(3, key);
    square(1 + n % 8, 1 + n / 8 % 8, 15);
  }
}
