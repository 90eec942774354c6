// Draws a game screen with the real glyph set into a real SDL window, says READY once
// it is on the display, and stays open until killed; lcd_window_e2e.sh reads it back.
#include <chrono>
#include <cstdio>
#include <thread>

#include "host/sdl/sdl_host.h"
#include "lcd/lcd.h"

int main() {
  using namespace dfx;
  SdlHost host;
  host.StartWindow();
  host.FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");
  Lcd lcd;
  lcd.CreateGlyphObjects(host);
  lcd.LoadGlyphSet();
  lcd.padSpaces = std::string(15, ' ');

  lcd.LcdClear();
  auto square = [&](int x, int y, int picture) { lcd.DrawGlyph(picture, DotPixelX(x * 6 - 5), DotPixelY(y * 6 - 5)); };
  for (int i = 0; i < 64; ++i) square(i % 8 + 1, i / 8 + 1, EmptySquareGlyph);
  square(4, 4, 11);
  square(5, 5, 11);
  square(5, 4, 15);
  square(4, 5, 15);
  square(6, 5, 13);
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.DrawGlyph(15, DotPixelX(54), DotPixelY(33));
  lcd.DrawGlyph(11, DotPixelX(54), DotPixelY(41));
  lcd.LcdBox(18, 18, 24, 24, 1);
  lcd.LcdLocate(9, 0);
  lcd.LcdPrint("You (Black)");
  lcd.LcdLocate(9, 1);
  lcd.LcdPrint("\x02\x02\x03\x03", 9);
  lcd.LcdLocate(9, 2);
  lcd.LcdPrint("[BS] UNDO");
  lcd.LcdLocate(9, 3);
  lcd.LcdPrint("UNDO:");
  lcd.LcdPrintNumber(4, 1);
  for (int16_t row : {4, 5}) {
    lcd.LcdLocate(10, row);
    lcd.LcdPrintNumber(2, 2);
  }
  lcd.LcdLocate(12, 4);
  lcd.LcdPrintNumber(6, -0.25);
  lcd.LcdPrint(":Eval.");
  lcd.LcdLocate(12, 5);
  lcd.LcdPrintNumber(6, 1234);
  lcd.LcdPrint(":Leaf");

  // Wait for the window thread to present the drawing, then give the server a moment.
  const uint64_t before = host.PresentCount();
  for (int i = 0; i < 500 && host.PresentCount() == before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::printf("READY\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 0;
}
