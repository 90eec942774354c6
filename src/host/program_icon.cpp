#include "host/program_icon.h"

#include <cmath>

namespace dfx {

const uint8_t IconPalette[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},  {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0}, {255, 255, 255}};

namespace {
enum : uint8_t { Black = 0, Green = 2, Grey = 8, Silver = 7, LightGreen = 10, White = 15 };
}  // namespace

std::vector<uint8_t> DrawProgramIcon(int size) {
  std::vector<uint8_t> p(size_t(size) * size_t(size), Green);
  auto at = [&](int x, int y) -> uint8_t& { return p[size_t(y) * size_t(size) + size_t(x)]; };
  const int mid = size / 2;
  for (int i = 0; i < size; ++i) {
    at(i, 0) = at(i, size - 1) = at(0, i) = at(size - 1, i) = Black;
    at(i, mid) = at(mid, i) = Black;
  }
  // A highlight along the top-left inner edge of each cell, like a lit felt board;
  // the small icon has no room for it.
  for (int cy : {1, mid + 1}) {
    if (size < 32) break;
    for (int cx : {1, mid + 1}) {
      for (int i = 0; i < mid - 1; ++i) {
        at(cx + i, cy) = LightGreen;
        at(cx, cy + i) = LightGreen;
      }
    }
  }
  const double radius = size / 4.0 - (size >= 32 ? 1.5 : 1.3);
  const double centres[2] = {size / 4.0 + 0.5, 3 * size / 4.0};
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 2; ++col) {
      bool white = row == col;  // the start position: White on the diagonal
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          double d = std::hypot(x + 0.5 - centres[col], y + 0.5 - centres[row]);
          if (d > radius) continue;
          bool rim = d > radius - 1.0;
          at(x, y) = white ? (rim ? Silver : White) : (rim ? Grey : Black);
        }
      }
    }
  }
  return p;
}

}  // namespace dfx
