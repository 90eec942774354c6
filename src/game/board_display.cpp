#include "game/game.h"
#include "runtime/clock.h"

namespace dfx {

namespace {
constexpr int WhiteDiscPicture = 11;  // 12..14 turn it towards Black
constexpr int BlackDiscPicture = 15;
}  // namespace

void Game::DrawCellImage(int dx, int dy, Cell value) {
  if (value < 0) return;
  int picture = value > 0 ? (value - 1) * 4 + WhiteDiscPicture : EmptySquareGlyph;
  lcd.DrawGlyph(picture, DotPixel(dx), DotPixel(dy));
}

void Game::DrawSquare(int x, int y) { DrawCellImage(SquareDot(x), SquareDot(y), board[SquareIndex(x, y)]); }

void Game::RedrawBoard() {
  state.whiteCount = 0;
  state.blackCount = 0;
  for (int i = FirstSquare; i <= LastSquare; ++i) {
    int y = i / 9;
    int x = i - 9 * y;
    DrawCellImage(SquareDot(x), SquareDot(y), board[i]);
    if (board[i] == White)
      state.whiteCount += 1;
    else if (board[i] > 0)
      state.blackCount += 1;
  }
  lcd.LcdLocate(10, 4);
  lcd.LcdPrintNumber(2, state.blackCount);
  lcd.LcdLocate(10, 5);
  lcd.LcdPrintNumber(2, state.whiteCount);
}

void Game::AnimateFlips() {
  for (int f = 0; f <= 4; ++f) {
    for (int i = FirstSquare; i <= LastSquare; ++i) {
      Cell before = animationBoard[i];
      if (before > 0 && before != board[i]) {
        int y = i / 9;
        int x = i - 9 * y;
        int picture = before == White ? WhiteDiscPicture + f : BlackDiscPicture - f;
        lcd.DrawGlyph(picture, DotPixel(SquareDot(x)), DotPixel(SquareDot(y)));
      }
    }
    SleepMs(120);
  }
}

}  // namespace dfx
