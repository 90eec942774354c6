// Reads the position every game starts from out of a small text file of eight
// rows of eight digits.
#pragma once
#include "rules/board.h"

namespace dfx {

#ifdef _WIN32
inline constexpr const char* StartPositionPath = "res\\board.txt";
#else
inline constexpr const char* StartPositionPath = "res/board.txt";
#endif

// Fills board. A missing file, or one that is not a regular file (pipe, directory, device):
// an empty start position. Missing rows repeat the previous row. Any character but 0, 1
// and 2 reads as an empty square.
void LoadStartPosition(Board& board, const char* path = StartPositionPath);

// The usual start position: White on d4 and e5, Black on e4 and d5.
void StandardStart(Board& board);

}  // namespace dfx
