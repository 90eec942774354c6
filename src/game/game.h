// The game on top of engine and screen: start-up, title screen, the turn loop with
// the human's turn and the computer's turn on screen, board display and flips.
// One Game holds one independent set of all state, so tests can build fresh ones.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

#include "cpu/computer_player.h"
#include "game/pointer.h"
#include "host/host.h"
#include "lcd/lcd.h"
#include "rules/board.h"

namespace dfx {

// Settings and state of the game flow, shared by the human's and the computer's turn.
struct GameState {
  int16_t cpuLevel = 0;  // 0..LevelS, LevelS shown as S
  int16_t randomEnabled = 1;
  int16_t humanColour = Black;
  int16_t sideToMove = Black;
  int16_t passCount = 0;
  int16_t moveNumber = 0;
  int16_t savedMoveNumber = 0;
  int16_t undoCount = 0;
  int16_t undoUsed = 0;
  int16_t humanHasPlaced = 0;  // undo is offered only after the human's first disc of the game
  int16_t whiteCount = 0;
  int16_t blackCount = 0;
  int16_t cursorX = 1;
  int16_t cursorY = 1;
  int16_t boxX = 0;  // where the cursor box was last drawn; 0 when none is on screen
  int16_t boxY = 0;
  int16_t lastKey = 0;
};

class Game : private SearchProgress {
 public:
  explicit Game(Host& host);

  // Start-up in its fixed order: window, title and frame, random seed, glyph set, tables.
  void StartUp();
  [[noreturn]] void RunForEver();

  // Returns the key that started the game (keys::One, Two, NumpadOne or NumpadTwo).
  int16_t RunTitleScreen();
  void RunGame(int16_t startKey);
  void ClearPanelRows();
  void PrintSideName();

  void HumanTurn();
  void MoveCursorBox();
  void PlayComputerMove();

  void DrawCellImage(int dx, int dy, Cell value);
  void DrawSquare(int x, int y);
  void RedrawBoard();
  void AnimateFlips();

  GameState state;
  Board board;
  Board startBoard;      // every new game begins from this, read from the start-position file
  Board undoBoard;       // before the human's last move
  Board animationBoard;  // before the move being animated
  Lcd lcd;
  ComputerPlayer cpu;

 private:
  // Blocks for a key, or a press that means one here (presses meaning nothing are passed over).
  void WaitKey(Waiting waiting);
  void PrintAt(int16_t column, int16_t row, std::string_view text);
  void PrintLevelCharacter();
  void DrawCursorBox(int x, int y, int8_t mode);
  void Undo();
  void PlaceHumanDisc();
  void StartMarks() override;
  void Mark(uint8_t code) override;

  Host& host_;
};

}  // namespace dfx
