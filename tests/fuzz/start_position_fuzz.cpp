// Any bytes as the start-position file: the start board holds only the three cell
// values inside an intact border, and the computer opens on it by book and by search.
#include "cpu/computer_player.h"
#include "fuzz_targets.h"
#include "rules/board.h"
#include "rules/start_position.h"

namespace dfx::fuzz {

int FuzzStartPosition(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("board.txt", data, size);
  static Board board;
  // The previous input's position must not mask this one's.
  for (Cell& c : board.cells) c = 7;
  LoadStartPosition(board, path.c_str());
  for (int i = 0; i < BoardCells; ++i) {
    if (i >= FirstSquare && i <= LastSquare && i % 9 != 0) {
      Check(board[i] == Empty || board[i] == White || board[i] == Black, "a square holds no cell value");
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
  const int level = size > 0 && data[0] % 2 ? LevelS : 0;
  for (auto [side, movesSoFar] : {std::pair{Black, 0}, std::pair{White, 20}}) {
    const ComputerMove move = cpu.DecideMove(board, side, level, 0, movesSoFar, nullptr);
    Check(move.pass == !board.HasAnyMove(side), "the computer passed with a move or moved without one");
    Check(move.pass || (move.square >= FirstSquare && move.square <= LastSquare && board[move.square] == Empty &&
                        board.CanPlay(move.square, side)),
          "the computer chose an illegal square");
  }
  return 0;
}

}  // namespace dfx::fuzz
