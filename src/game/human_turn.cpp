#include "game/game.h"
#include "host/keys.h"

namespace dfx {

void Game::DrawCursorBox(int x, int y, int8_t mode) {
  lcd.LcdBox((x - 1) * 6, (y - 1) * 6, (x - 1) * 6 + 6, (y - 1) * 6 + 6, mode);
}

void Game::MoveCursorBox() {
  if (state.cursorX == state.boxX && state.cursorY == state.boxY) return;
  DrawCursorBox(state.boxX, state.boxY, 0);
  DrawCursorBox(state.cursorX, state.cursorY, 1);
  state.boxX = state.cursorX;
  state.boxY = state.cursorY;
}

void Game::HumanTurn() {
  for (;;) {
    MoveCursorBox();
    WaitKey(Waiting::HumanTurn);
    switch (state.lastKey) {
      case keys::Up:
        if (state.cursorY > 1) state.cursorY -= 1;
        break;
      case keys::Down:
        if (state.cursorY < 8) state.cursorY += 1;
        break;
      case keys::Right:
        if (state.cursorX < 8) state.cursorX += 1;
        break;
      case keys::Left:
        if (state.cursorX > 1) state.cursorX -= 1;
        break;
      case keys::Back:
        if (state.undoUsed == 0 && state.moveNumber > 0 && state.humanHasPlaced) Undo();
        break;
      case keys::Return: {
        int square = SquareIndex(state.cursorX, state.cursorY);
        if (board[square] == Empty && board.CanPlay(square, static_cast<Cell>(state.sideToMove))) {
          PlaceHumanDisc();
          return;
        }
        break;
      }
      default: break;
    }
  }
}

void Game::Undo() {
  PrintAt(9, 2, lcd.padSpaces);
  board = undoBoard;
  RedrawBoard();
  DrawCursorBox(state.cursorX, state.cursorY, 1);
  state.undoUsed = 1;
  state.moveNumber = state.savedMoveNumber;
  state.undoCount += 1;
}

void Game::PlaceHumanDisc() {
  const int square = SquareIndex(state.cursorX, state.cursorY);
  const Cell side = static_cast<Cell>(state.sideToMove);
  undoBoard = board;
  animationBoard = board;
  state.savedMoveNumber = state.moveNumber;
  board.Play(square, side);
  state.passCount = 0;
  DrawCursorBox(state.cursorX, state.cursorY, 0);
  DrawSquare(state.cursorX, state.cursorY);
  AnimateFlips();
  RedrawBoard();
  state.humanHasPlaced = 1;
  state.moveNumber += 1;
  if (state.moveNumber <= 8) cpu.RecordOpeningMove(state.cursorX, state.cursorY, state.moveNumber);
}

}  // namespace dfx
