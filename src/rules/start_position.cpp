#include "rules/start_position.h"

#include <cstdio>
#include <filesystem>

namespace dfx {

namespace {

// Reads one row (only its first eight characters matter) in the file's row rules.
// Returns false at the end of the file, leaving row as it was.
bool ReadRow(std::FILE* file, char row[8], int* rowLength) {
  int c = std::fgetc(file);
  while (c == ' ' || c == '\t') c = std::fgetc(file);
  if (c == EOF) return false;
  int length = 0;
  bool quoted = false;
  for (; c != EOF; c = std::fgetc(file)) {
    if (c == '\r') {
      int next = std::fgetc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      break;
    }
    if (c == '\n' || c == 0) break;
    if (c == ',' && !quoted) break;
    if (c == '"') quoted = !quoted;
    if (length < 8) row[length] = static_cast<char>(c);
    ++length;
  }
  *rowLength = length < 8 ? length : 8;
  return true;
}

}  // namespace

void LoadStartPosition(Board& board, const char* path) {
  char row[8] = {};
  int rowLength = 0;
  // A named pipe or a device could block the start for ever, a directory reads as nothing.
  std::error_code error;
  std::FILE* file = std::filesystem::is_regular_file(path, error) ? std::fopen(path, "rb") : nullptr;
  board = Board();
  for (int y = 1; y <= 8; ++y) {
    if (file) ReadRow(file, row, &rowLength);
    for (int x = 1; x <= 8; ++x) {
      Cell value = Empty;
      if (x <= rowLength) {
        char c = row[x - 1];
        // Only the colour codes are board values; anything else would corrupt the rules.
        if (c == '1')
          value = White;
        else if (c == '2')
          value = Black;
      }
      board[SquareIndex(x, y)] = value;
    }
  }
  if (file) std::fclose(file);
}

void StandardStart(Board& board) {
  board = Board();
  board[SquareIndex(4, 4)] = board[SquareIndex(5, 5)] = White;
  board[SquareIndex(5, 4)] = board[SquareIndex(4, 5)] = Black;
}

}  // namespace dfx
