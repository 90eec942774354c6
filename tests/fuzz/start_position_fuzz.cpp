// Any bytes as the start-position file: a new game's board holds only the three cell
// values inside an intact border, and the computer opens on it by book and by search.
#include "cpu/computer_player.h"
#include "fuzz_targets.h"
#include "game/board.h"
#include "game/start_position.h"

namespace dfx::fuzz {

int FuzzStartPosition(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("board.txt", data, size);
  static Board board;
  // The previous input's position must not mask this one's.
  for (Cell& c : board.snapshots[StartPositionSlot]) c = Border;
  LoadStartPosition(board, path.c_str());
  board.NewGameBoard();
  for (int i = 0; i < BoardCells; ++i) {
    if (i >= FirstSquare && i <= LastSquare && i % 9 != 0) {
      Check(board[i] == Empty || board[i] == White || board[i] == Black, "a square holds no cell value");
      Check(board.snapshots[StartPositionSlot][i] == board[i], "the new game differs from the start position");
    } else {
      Check(board[i] == Border, "the border was overwritten");
    }
  }
  for (Cell colour : {White, Black}) {
    bool any = false;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) any = any || (board[sq] == Empty && board.CanPlay(sq, colour));
    Check(any == board.HasAnyMove(colour), "HasAnyMove disagrees with CanPlay");
  }

  // The first move (book or search) and a searched move past the book, at level 0 or S.
  static ComputerPlayer cpu;
  const Board before = board;
  const int level = size > 0 && data[0] % 2 ? LevelS : 0;
  for (auto [side, moveNumber] : {std::pair{Black, int16_t(0)}, std::pair{White, int16_t(20)}}) {
    const ComputerMove move = cpu.DecideMove(board, side, level, 0, moveNumber, nullptr);
    for (int i = 0; i < BoardCells; ++i) Check(board[i] == before[i], "deciding a move changed the board");
    Check(move.pass == !board.HasAnyMove(side), "the computer passed with a move or moved without one");
    Check(move.pass || (move.square >= FirstSquare && move.square <= LastSquare && board[move.square] == Empty &&
                        board.CanPlay(move.square, side)),
          "the computer chose an illegal square");
  }
  return 0;
}

}  // namespace dfx::fuzz
