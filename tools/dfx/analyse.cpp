// dfx analyse: the computer's decision for one position (or after a list of moves), as JSON.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "cpu/computer_player.h"
#include "rules/start_position.h"
#include "subcommand.h"

namespace dfx::tool {
namespace {

struct MarkText : SearchProgress {
  std::string text;
  void StartMarks() override {}
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

int Usage() {
  std::fprintf(stderr,
               "usage: dfx analyse --board B --side black|white --level 0|1|2|3|S [--literal]\n"
               "       dfx analyse --moves \"f5 d6 ...\" --level L [--random 0|1] [--seed N] [--literal]\n"
               "  B: 64 characters, row 1 first, '-' or '.' empty, 'X' Black, 'O' White\n");
  return 2;
}

bool ParseLevel(const std::string& text, int* level) {
  if (text == "S" || text == "s" || text == "4") {
    *level = LevelS;
    return true;
  }
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') {
    *level = text[0] - '0';
    return true;
  }
  return false;
}

bool ParseUnsigned(const std::string& text, unsigned long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtoul(text.c_str(), &end, 10);
  return *end == '\0' && text[0] != '-';
}

std::string Number(long long v) { return std::to_string(v); }

void PrintJson(const ComputerMove& move, const std::string& marks, bool withBook, const OpeningBook& book) {
  const bool searched = !move.bookHit;
  std::string json = "{";
  auto field = [&](const char* key, const std::string& value) {
    if (json.size() > 1) json += ",";
    json += "\"";
    json += key;
    json += "\":";
    json += value;
  };
  field("discs", Number(move.plan.discs));
  field("weightSet", Number(move.plan.weightSet));
  field("nominalDepth", Number(move.plan.nominalDepth));
  field("finalDepth", searched ? Number(move.finalDepth) : "null");
  field("mode", Number(static_cast<int>(move.plan.mode)));
  field("rootMoves", searched ? Number(move.rootMoves) : "null");
  field("bestMove", move.pass ? "null" : Number(move.square));
  field("bestScore", searched && move.scoreMade ? Number(move.bestScore) : "null");
  field("evalCount", Number(move.evalCount));
  field("preSearchCount", Number(move.preSearchCount));
  field("fullBoardCount", Number(move.fullBoardCount));
  field("marks", "\"" + marks + "\"");
  field("ms", Number(static_cast<long long>(move.endTick - move.startTick)));
  if (withBook) {
    field("book", move.bookHit ? "true" : "false");
    field("firstMatch", Number(book.firstMatch));
    field("lastMatch", Number(book.lastMatch));
    field("randomOffset", Number(book.randomOffset));
  }
  json += "}";
  std::printf("%s\n", json.c_str());
}

// Plays the listed moves from the start position as a game would, recording the opening.
bool PlayMoves(const std::string& list, ComputerPlayer& player, Board& board, Cell& side, int16_t& moveNumber) {
  LoadStartPosition(board);
  side = Black;
  moveNumber = 0;
  std::istringstream in(list);
  std::string token;
  while (in >> token) {
    if (token == "pass") {
      if (board.HasAnyMove(side)) {
        std::fprintf(stderr, "dfx analyse: %s cannot pass, it has a move\n", side == Black ? "Black" : "White");
        return false;
      }
      side = opponentOf[side];
      continue;
    }
    const bool shaped = token.size() == 2 && token[0] >= 'a' && token[0] <= 'h' && token[1] >= '1' && token[1] <= '8';
    const int x = shaped ? token[0] - 'a' + 1 : 0, y = shaped ? token[1] - '0' : 0;
    const int square = SquareIndex(x, y);
    if (!shaped || board[square] != Empty || !board.CanPlay(square, side)) {
      std::fprintf(stderr, "dfx analyse: illegal move '%s'\n", token.c_str());
      return false;
    }
    board.FlipDiscs(square, side);
    board[square] = side;
    moveNumber += 1;
    if (moveNumber <= 8) player.RecordOpeningMove(x, y, moveNumber);
    side = opponentOf[side];
  }
  return true;
}

int Run(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string boardText, sideText, levelText, moves, randomText = "0", seedText = "0";
  const bool literal = TakeFlag(args, "--literal");
  const bool haveBoard = TakeOption(args, "--board", &boardText);
  TakeOption(args, "--side", &sideText);
  const bool haveMoves = TakeOption(args, "--moves", &moves);
  TakeOption(args, "--random", &randomText);
  TakeOption(args, "--seed", &seedText);
  int level = 0;
  if (!TakeOption(args, "--level", &levelText) || !ParseLevel(levelText, &level) || !args.empty() ||
      haveBoard == haveMoves)
    return Usage();

  auto player = std::make_unique<ComputerPlayer>();
  player->forceLiteral = literal;
  Board board;
  MarkText marks;
  if (haveBoard) {
    Cell side;
    if (sideText == "black")
      side = Black;
    else if (sideText == "white")
      side = White;
    else
      return Usage();
    const std::optional<Board> parsed = BoardFromText(boardText);
    if (!parsed) return Usage();
    board = *parsed;
    const ComputerMove move = player->SearchMove(board, side, level, &marks, literal);
    PrintJson(move, marks.text, false, player->book);
    return 0;
  }
  unsigned long seed = 0;
  if ((randomText != "0" && randomText != "1") || !ParseUnsigned(seedText, &seed)) return Usage();
  player->SeedRandom(static_cast<uint32_t>(seed));
  Cell side = Black;
  int16_t moveNumber = 0;
  if (!PlayMoves(moves, *player, board, side, moveNumber)) return 1;
  const ComputerMove move = player->DecideMove(board, side, level, randomText == "1" ? 1 : 0, moveNumber, &marks);
  PrintJson(move, marks.text, true, player->book);
  return 0;
}

const Subcommand registration("analyse", "the computer's decision for a position, as JSON", Run);

}  // namespace
}  // namespace dfx::tool
