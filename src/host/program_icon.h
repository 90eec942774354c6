// The program's icon picture: the four discs of the start position on a green board,
// in the 16 colours every Windows display could show. `dfx icons` writes it into the
// Windows icon files; the SDL window shows the same picture.
#pragma once
#include <cstdint>
#include <vector>

namespace dfx {

// The 16 colours as B, G, R.
extern const uint8_t IconPalette[16][3];

// size x size palette indices, row by row, top row first.
std::vector<uint8_t> DrawProgramIcon(int size);

}  // namespace dfx
