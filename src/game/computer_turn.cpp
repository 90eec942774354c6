#include <cmath>

#include "game/game.h"
#include "game/texts.h"

namespace dfx {

void Game::PlayComputerMove() {
  const int16_t savedCursorX = state.cursorX;
  state.cursorX = 0;
  const ComputerMove move = cpu.DecideMove(board, static_cast<Cell>(state.sideToMove), state.cpuLevel,
                                           state.randomEnabled, state.moveNumber, this);
  state.moveNumber = static_cast<int16_t>(move.moveNumber);
  if (move.pass) {
    state.cursorX = savedCursorX;
    state.passCount += 1;
    PrintAt(13, 4, texts::CpuPass);
    DrawCursorBox(state.cursorX, state.cursorY, 1);
    state.boxX = state.cursorX;
    state.boxY = state.cursorY;
    return;
  }

  state.passCount = 0;  // a book move is a move too
  state.cursorY = static_cast<int16_t>(move.square / 9);
  state.cursorX = static_cast<int16_t>(move.square - 9 * state.cursorY);
  if (move.bookHit) {
    lcd.LcdLocate(12, 4);
    lcd.LcdPrintNumber(6, move.bookLine);
    lcd.LcdPrint(texts::BookSuffix);
  } else {
    lcd.LcdLocate(12, 4);
    lcd.LcdPrintNumber(6, move.bestScore);
    lcd.LcdPrint(texts::EvalSuffix);
    lcd.LcdLocate(12, 5);
    if (state.cpuLevel < LevelS) {
      lcd.LcdPrintNumber(6, static_cast<double>(move.evalCount));
      lcd.LcdPrint(texts::LeafSuffix);
    } else {
      // Modular difference: the tick counter wraps every 49.7 days.
      const uint32_t elapsed = move.endTick - move.startTick;
      lcd.LcdPrintNumber(6, std::floor(elapsed / 10.0) / 100);
      lcd.LcdPrint(texts::SecondsSuffix);
    }
  }

  const Cell side = static_cast<Cell>(state.sideToMove);
  const int square = SquareIndex(state.cursorX, state.cursorY);
  animationBoard = board;
  board.Play(square, side);
  DrawSquare(state.cursorX, state.cursorY);
  AnimateFlips();
  RedrawBoard();
  state.lastKey = 0;
}

}  // namespace dfx
