// dfx analyse: the computer's decision for one position (or after a list of moves), as JSON.
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "cpu/computer_player.h"
#include "json_output.h"
#include "rules/start_position.h"
#include "search_marks.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

void PrintJson(const ComputerMove& move, const std::string& marks, bool withBook, const OpeningBook& book) {
  const bool searched = !move.bookHit;
  Json json;
  json["discs"] = move.plan.discs;
  json["weightSet"] = move.plan.weightSet;
  json["nominalDepth"] = move.plan.nominalDepth;
  json["finalDepth"] = searched ? Json(move.finalDepth) : Json();
  json["mode"] = static_cast<int>(move.plan.mode);
  json["rootMoves"] = searched ? Json(move.rootMoves) : Json();
  json["bestMove"] = move.pass ? Json() : Json(move.square);
  json["bestScore"] = searched && move.scoreMade ? Json(move.bestScore) : Json();
  json["evalCount"] = move.evalCount;
  json["preSearchCount"] = move.preSearchCount;
  json["fullBoardCount"] = move.fullBoardCount;
  json["marks"] = JsonText(marks);
  json["ms"] = move.endTick - move.startTick;
  if (withBook) {
    json["book"] = move.bookHit;
    json["firstMatch"] = book.firstMatch;
    json["lastMatch"] = book.lastMatch;
    json["randomOffset"] = book.randomOffset;
  }
  std::fputs(JsonLine(json).c_str(), stdout);
}

// Plays the listed moves from the start position as a game would, recording the opening.
bool PlayMoves(const std::string& list, ComputerPlayer& player, Board& board, Cell& side,
               int16_t& moveNumber) {
  LoadStartPosition(board);
  side = Black;
  moveNumber = 0;
  std::istringstream in(list);
  std::string token;
  while (in >> token) {
    if (token == "pass") {
      if (board.HasAnyMove(side)) {
        std::fprintf(stderr, "dfx analyse: %s cannot pass, it has a move\n",
                     side == Black ? "Black" : "White");
        return false;
      }
      side = opponentOf[side];
      continue;
    }
    const bool shaped =
        token.size() == 2 && token[0] >= 'a' && token[0] <= 'h' && token[1] >= '1' && token[1] <= '8';
    const int x = shaped ? token[0] - 'a' + 1 : 0, y = shaped ? token[1] - '0' : 0;
    const int square = SquareIndex(x, y);
    if (!shaped || board[square] != Empty || !board.CanPlay(square, side)) {
      std::fprintf(stderr, "dfx analyse: illegal move '%s'\n", token.c_str());
      return false;
    }
    board.Play(square, side);
    moveNumber += 1;
    if (moveNumber <= 8) player.RecordOpeningMove(x, y, moveNumber);
    side = opponentOf[side];
  }
  return true;
}

struct Options {
  std::string board, side, level, moves;
  int random = 0;
  uint32_t seed = 0;
  bool literal = false;
};

int Run(const Options& o) {
  auto player = std::make_unique<ComputerPlayer>();
  player->SetForceLiteral(o.literal);
  const int level = LevelFromName(o.level);  // checked while parsing
  MarkText marks;
  if (!o.board.empty()) {
    const Board board = BoardFromText(o.board).value();  // checked while parsing
    const ComputerMove move =
        player->SearchMove(board, o.side == "black" ? Black : White, level, &marks, o.literal);
    PrintJson(move, marks.text, false, player->Book());
    return 0;
  }
  player->SeedRandom(o.seed);
  Board board;
  Cell side = Black;
  int16_t moveNumber = 0;
  if (!PlayMoves(o.moves, *player, board, side, moveNumber)) return 1;
  const ComputerMove move = player->DecideMove(board, side, level, o.random, moveNumber, &marks);
  PrintJson(move, marks.text, true, player->Book());
  return 0;
}

std::function<int()> Setup(CLI::App& command) {
  auto o = std::make_shared<Options>();
  command.footer(
      "B: 64 characters, row 1 first, '-' or '.' empty, 'X' Black, 'O' White.\n"
      "--moves plays the moves from res/board.txt as a game would, opening book included.\n");
  CLI::Option_group* position = command.add_option_group("position", "the position to decide for (one of)");
  CLI::Option* board = position->add_option("--board", o->board, "the position as board text B")
                           ->check([](const std::string& text) {
                             return BoardFromText(text) ? std::string() : std::string("not a board text");
                           });
  CLI::Option* moves = position->add_option("--moves", o->moves, "moves from the start, e.g. \"f5 d6 pass\"");
  position->require_option(1);
  CLI::Option* side = command.add_option("--side", o->side, "the side to move on --board (black or white)")
                          ->check(CLI::IsMember({"black", "white"}))
                          ->needs(board);
  board->needs(side);
  command.add_option("--level", o->level, "0, 1, 2, 3 or S")->required()->check([](const std::string& text) {
    return LevelFromName(text) >= 0 ? std::string() : std::string("not a level (0, 1, 2, 3 or S)");
  });
  command.add_option("--random", o->random, "with --moves: the book chooses among its lines (1)")
      ->check(CLI::IsMember({0, 1}))
      ->needs(moves);
  command.add_option("--seed", o->seed, "with --moves: the seed of the book's random choice")->needs(moves);
  command.add_flag("--literal", o->literal, "level S searches step by step too");
  return [o] { return Run(*o); };
}

const Subcommand registration("analyse", "the computer's decision for a position, as JSON", Setup);

}  // namespace
}  // namespace dfx::tool
