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
  for (auto [x, y, picture] : {std::tuple{4, 4, 11}, {5, 5, 11}, {5, 4, 15}, {4, 5, 15}, {6, 5, 13}}) square(x, y, picture);
  lcd.LcdLine(49, 0, 49, 48, 1);
  lcd.DrawGlyph(15, DotPixelX(54), DotPixelY(33));
  lcd.DrawGlyph(11, DotPixelX(54), DotPixelY(41));
  lcd.LcdBox(18, 18, 24, 24, 1);
  auto at = [&](int16_t column, int16_t row, const char* text, int16_t width = 0, double number = 0) {
    lcd.LcdLocate(column, row);
    if (width > 0) lcd.LcdPrintNumber(width, number);
    lcd.LcdPrint(text, 9);
  };
  at(9, 0, "You (Black)");
  at(9, 1, "\x02\x02\x03\x03");
  at(9, 2, "[BS] UNDO");
  at(9, 3, "UNDO:");
  lcd.LcdPrintNumber(4, 1);
  at(10, 4, "", 2, 2);
  at(10, 5, "", 2, 2);
  at(12, 4, ":Eval.", 6, -0.25);
  at(12, 5, ":Leaf", 6, 1234);

  // Wait for the window thread to present the drawing, then give the server a moment.
  const uint64_t before = host.PresentCount();
  for (int i = 0; i < 500 && host.PresentCount() == before; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::printf("READY\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 0;
}
