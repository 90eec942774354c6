// Any bytes as the start-position file: the board a new game starts from must hold
// only the three cell values inside an intact border, however odd the file, and the
// computer must be able to open on it from the book and from a search.
#include <memory>

#include "cpu/computer_player.h"
#include "fuzz_targets.h"
#include "game/board.h"
#include "game/start_position.h"

namespace dfx::fuzz {

int FuzzStartPosition(const uint8_t* data, size_t size) {
  const std::string& path = WriteScratchFile("board.txt", data, size);
  static Board board;
  // A position left over from the previous input must not mask this one's result.
  for (int i = 0; i < BoardCells; ++i) board.snapshots[StartPositionSlot][i] = Border;
  LoadStartPosition(board, path.c_str());
  board.NewGameBoard();
  for (int i = 0; i < BoardCells; ++i) {
    const bool square = i >= FirstSquare && i <= LastSquare && i % 9 != 0;
    if (square) {
      Check(board[i] == Empty || board[i] == White || board[i] == Black, "a square holds no cell value");
      Check(board.snapshots[StartPositionSlot][i] == board[i], "the new game differs from the start position");
    } else {
      Check(board[i] == Border, "the border was overwritten");
    }
  }
  Check(board.CountDiscs(White) + board.CountDiscs(Black) <= 64, "more discs than squares");
  // The rules must cope with whatever position came out.
  for (Cell colour : {White, Black}) {
    bool any = false;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
      if (board[sq] == Empty && board.CanPlay(sq, colour)) any = true;
    }
    Check(any == board.HasAnyMove(colour), "HasAnyMove disagrees with CanPlay");
  }

  // The first move (the book's fixed opening, or a search when it does not fit) and a
  // searched move past the book, at the lowest level and at S.
  static const std::unique_ptr<ComputerPlayer> cpu = std::make_unique<ComputerPlayer>();
  Cell before[BoardCells];
  for (int i = 0; i < BoardCells; ++i) before[i] = board[i];
  const int level = size > 0 && data[0] % 2 ? LevelS : 0;
  for (auto [side, moveNumber] : {std::pair{Black, int16_t(0)}, std::pair{White, int16_t(20)}}) {
    const ComputerMove move = cpu->DecideMove(board, side, level, 0, moveNumber, nullptr);
    for (int i = 0; i < BoardCells; ++i) Check(board[i] == before[i], "deciding a move changed the board");
    Check(move.pass == !board.HasAnyMove(side), "the computer passed with a move or moved without one");
    if (!move.pass) {
      Check(move.square >= FirstSquare && move.square <= LastSquare && board[move.square] == Empty &&
                board.CanPlay(move.square, side),
            "the computer chose an illegal square");
    }
  }
  return 0;
}

}  // namespace dfx::fuzz
