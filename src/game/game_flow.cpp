#include <memory>

#include "game/game.h"
#include "game/program.h"
#include "game/texts.h"
#include "host/keys.h"
#include "rules/start_position.h"
#include "runtime/clock.h"

namespace dfx {

Game::Game(Host& host) : host_(host) {}

void Game::WaitKey(Waiting waiting) {
  for (;;) {
    const Input in = WaitInput(host_);
    if (!in.press) {
      state.lastKey = in.key;
      return;
    }
    // Undo erases the hint, so it shows exactly while this turn's undo is unused.
    const PressMeaning meaning = MeaningOfPress(waiting, state.undoUsed == 0, in.x, in.y);
    if (meaning.key == 0) continue;
    if (meaning.squareX != 0) {
      state.cursorX = meaning.squareX;
      state.cursorY = meaning.squareY;
      MoveCursorBox();
    }
    state.lastKey = meaning.key;
    return;
  }
}

void Game::PrintAt(int16_t column, int16_t row, std::string_view text) {
  lcd.LcdLocate(column, row);
  lcd.LcdPrint(text);
}

void Game::StartUp() {
  host_.StartWindow();
  host_.FinishWindowSetup(texts::FinalWindowTitle);
  cpu.SeedRandom(TickCount());
  lcd.CreateGlyphObjects(host_);
  lcd.LoadGlyphSet();
  LoadStartPosition(startBoard);
  lcd.padSpaces = std::string(15, ' ');
  state.cpuLevel = 0;
  state.randomEnabled = 1;
}

void Game::RunForEver() {
  for (;;) RunGame(RunTitleScreen());
}

void Game::PrintLevelCharacter() {
  const char name = LevelName(state.cpuLevel);
  lcd.LcdPrint(std::string_view(&name, 1));
}

int16_t Game::RunTitleScreen() {
  lcd.LcdClear();
  PrintAt(2, 0, texts::TitleLine);
  PrintAt(5, 1, texts::YouVsCpu);
  PrintAt(5, 2, texts::CpuVsYou);
  PrintAt(5, 3, texts::RandomSwitch);
  PrintAt(5, 4, texts::LevelLine);
  PrintAt(2, 5, CreditLine);
  for (;;) {
    lcd.LcdLocate(11, 4);
    PrintLevelCharacter();
    PrintAt(16, 3, std::string_view(texts::OffOn + state.randomEnabled * 3, 3));
    WaitKey(Waiting::Title);
    switch (state.lastKey) {
      case keys::One:
      case keys::Two:
      case keys::NumpadOne:
      case keys::NumpadTwo: return state.lastKey;
      case keys::Left:
        if (state.cpuLevel > 0) state.cpuLevel -= 1;
        break;
      case keys::Right:
        if (state.cpuLevel < LevelS) state.cpuLevel += 1;
        break;
      case keys::R: state.randomEnabled = static_cast<int16_t>((state.randomEnabled + 1) % 2); break;
      default: break;
    }
  }
}

void Game::ClearPanelRows() {
  PrintAt(9, 1, lcd.padSpaces);
  PrintAt(9, 2, lcd.padSpaces);
}

void Game::PrintSideName() { lcd.LcdPrint(state.sideToMove == White ? texts::WhiteSide : texts::BlackSide); }

void Game::RunGame(int16_t startKey) {
  lcd.LcdClear();
  // The clear wiped the last game's box: none is drawn now, so the first turn draws one.
  state.boxX = 0;
  state.boxY = 0;
  board = startBoard;
  RedrawBoard();
  state.moveNumber = 0;
  state.undoCount = 0;
  state.humanHasPlaced = 0;
  state.cursorX = 1;
  state.cursorY = 1;
  lcd.LcdLine(49, 0, 49, 48, 1);
  DrawCellImage(54, 33, Black);
  DrawCellImage(54, 41, White);
  RedrawBoard();
  state.sideToMove = Black;
  state.passCount = 0;

  bool computerFirst = startKey == keys::Two || startKey == keys::NumpadTwo;
  state.humanColour = computerFirst ? White : Black;
  bool gameOver = false;
  for (bool humanTurn = !computerFirst; !gameOver; humanTurn = true) {
    if (humanTurn) {
      ClearPanelRows();
      if (!board.HasAnyMove(state.sideToMove)) {
        state.passCount += 1;
        if (state.passCount >= 2) break;
        PrintAt(9, 1, texts::YouPass);
        PrintAt(9, 2, texts::HitAnyKey);
        WaitKey(Waiting::AnyKey);
      } else {
        PrintAt(9, 0, lcd.padSpaces);
        PrintAt(9, 0, texts::YouOpen);
        PrintSideName();
        PrintAt(9, 2, texts::UndoHint);
        state.undoUsed = 0;
        HumanTurn();
      }
      if (state.whiteCount + state.blackCount == 64) break;
      state.sideToMove = opponentOf[state.sideToMove];
      ClearPanelRows();
    }
    PrintAt(9, 0, texts::CpuLevel);
    PrintLevelCharacter();
    lcd.LcdPrint("(");
    PrintSideName();
    PlayComputerMove();
    state.sideToMove = opponentOf[state.sideToMove];
    gameOver = state.whiteCount + state.blackCount == 64;
  }

  ClearPanelRows();
  PrintAt(9, 0, lcd.padSpaces);
  PrintAt(9, 0, texts::CpuLevel);
  PrintLevelCharacter();
  lcd.LcdLocate(9, 1);
  int16_t human = state.humanColour == White ? state.whiteCount : state.blackCount;
  int16_t other = state.humanColour == White ? state.blackCount : state.whiteCount;
  if (state.whiteCount == state.blackCount)
    lcd.LcdPrint(texts::Draw);
  else
    lcd.LcdPrint(human > other ? texts::YouWin : texts::YouLose);
  if (state.undoCount > 0) {
    PrintAt(9, 3, texts::UndoCountLabel);
    lcd.LcdPrintNumber(4, state.undoCount);
  }
  WaitKey(Waiting::AnyKey);
}

void Game::StartMarks() { lcd.LcdLocate(9, 1); }

void Game::Mark(uint8_t code) { lcd.LcdPutChar(code, 9); }

void RunProgram(Host& host) {
  // The engine's tables are large: keep them off the stack.
  auto game = std::make_unique<Game>(host);
  game->StartUp();
  game->RunForEver();
}

}  // namespace dfx
