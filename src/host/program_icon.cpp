#include "host/program_icon.h"

#include <algorithm>
#include <cmath>

namespace dfx {

const uint8_t IconPalette[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                    {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                                    {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};

namespace {
enum : uint8_t { Black = 0, Green = 2, Grey = 8, Silver = 7, LightGreen = 10, White = 15 };
}  // namespace

// Lines, rims and highlights are one pixel wide up to 63x63 and grow with the size
// above, so every size is drawn crisply from the same geometry rather than scaled.
std::vector<uint8_t> DrawProgramIcon(int size) {
  std::vector<uint8_t> p(size_t(size) * size_t(size), Green);
  auto at = [&](int x, int y) -> uint8_t& { return p[size_t(y) * size_t(size) + size_t(x)]; };
  const int w = std::max(1, size / 32);
  const int line = size / 2 - w / 2;  // first row and column of the middle lines
  for (int i = 0; i < size; ++i) {
    for (int t = 0; t < w; ++t) {
      at(i, t) = at(i, size - 1 - t) = at(t, i) = at(size - 1 - t, i) = Black;
      at(i, line + t) = at(line + t, i) = Black;
    }
  }
  // A highlight along the top-left inner edge of each cell, like a lit felt board;
  // the small icon has no room for it.
  const int inner[2] = {w, line + w};  // where each cell's inside starts
  for (int cy : inner) {
    if (size < 32) break;
    for (int cx : inner) {
      for (int i = 0; i < line - w; ++i) {
        for (int t = 0; t < w; ++t) at(cx + i, cy + t) = at(cx + t, cy + i) = LightGreen;
      }
    }
  }
  const double radius = size / 4.0 - (size >= 32 ? 1.5 * w : 1.3);
  const double centres[2] = {(w + line) / 2.0, (line + size) / 2.0};
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 2; ++col) {
      bool white = row == col;  // the start position: White on the diagonal
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          double d = std::hypot(x + 0.5 - centres[col], y + 0.5 - centres[row]);
          if (d > radius) continue;
          bool rim = d > radius - w;
          at(x, y) = white ? (rim ? Silver : White) : (rim ? Grey : Black);
        }
      }
    }
  }
  return p;
}

}  // namespace dfx
