#include "game/game.h"
#include "runtime/clock.h"

namespace dfx {

namespace {
constexpr int EmptySquarePicture = 10;
constexpr int WhiteDiscPicture = 11;  // 12..14 turn it towards Black
constexpr int BlackDiscPicture = 15;

// Window pixel of an LCD dot coordinate.
constexpr int32_t DotToPixel(int d) { return d * 4 + 8; }
}  // namespace

void Game::DrawCellImage(int dx, int dy, Cell value) {
  if (value < 0) return;
  int picture = value > 0 ? (value - 1) * 4 + WhiteDiscPicture : EmptySquarePicture;
  lcd.DrawGlyph(picture, DotToPixel(dx), DotToPixel(dy));
}

void Game::DrawSquare(int x, int y) { DrawCellImage(x * 6 - 5, y * 6 - 5, board[SquareIndex(x, y)]); }

void Game::RedrawBoard() {
  state.whiteCount = 0;
  state.blackCount = 0;
  for (int i = FirstSquare; i <= LastSquare; ++i) {
    int y = i / 9;
    int x = i - 9 * y;
    DrawCellImage(x * 6 - 5, y * 6 - 5, board[i]);
    if (board[i] == White) state.whiteCount += 1;
    else if (board[i] > 0) state.blackCount += 1;
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
        lcd.DrawGlyph(picture, DotToPixel(x * 6 - 5), DotToPixel(y * 6 - 5));
      }
    }
    SleepMs(120);
  }
}

}  // namespace dfx
