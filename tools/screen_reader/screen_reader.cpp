#include "screen_reader/screen_reader.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "image/portable/picture_decode.h"
#include "lcd/lcd.h"

namespace dfx {

using portable::PixelSurface;

namespace {

// The face's dot area as far as cells and squares reach.
constexpr int32_t DotAreaEndX = LcdMargin + LcdDotsWide * DotPixels;  // 584
constexpr int32_t DotAreaEndY = LcdMargin + LcdDotsHigh * DotPixels;  // 200
constexpr int32_t SquarePixels = 5 * DotPixels;
// How many face positions that pass the margin test are read to pick the best.
constexpr int MaxCandidates = 16;

// Whether the w x h block of shot at (x, y) equals picture's top-left w x h block.
bool BlockEquals(const PixelSurface& shot, int32_t x, int32_t y, const PixelSurface& picture, int32_t w,
                 int32_t h) {
  if (x < 0 || y < 0 || x + w > shot.width || y + h > shot.height) return false;
  if (w > picture.width || h > picture.height) return false;
  for (int32_t j = 0; j < h; ++j) {
    const uint32_t* a = &shot.pixels[size_t(y + j) * size_t(shot.width) + size_t(x)];
    const uint32_t* b = &picture.pixels[size_t(j) * size_t(picture.width)];
    for (int32_t i = 0; i < w; ++i) {
      if (a[i] != b[i]) return false;
    }
  }
  return true;
}

// Cell candidates: the space first, then the other printable characters, then the rest.
std::vector<int> CellMatchOrder() {
  std::vector<int> order;
  for (int n = 32; n <= 126; ++n) order.push_back(n);
  for (int n = 0; n < GlyphCount; ++n) {
    if (n < 32 || n > 126) order.push_back(n);
  }
  return order;
}

void AppendCell(std::string& line, int code) {
  if (code >= 32 && code <= 126) {
    line += char(code);
  } else if (code < 0) {
    line += '?';
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(code) & 0xFFu);
    line += hex;
  }
}

char SquareChar(int n) {
  switch (n) {
    case 10: return '-';
    case 11: return 'O';
    case 15: return 'X';
    case 12:
    case 13:
    case 14: return char('0' + (n - 11));
    default: return '?';
  }
}

}  // namespace

bool ReadBmpFile(const std::string& path, PixelSurface* out) {
  // A file larger than the largest picture we accept is refused before it is read.
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > uintmax_t(MaxScreenshotSide) * MaxScreenshotSide * 4 + 65536) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  const bool read = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  std::fclose(f);
  if (!read) return false;
  auto picture = portable::DecodeBmp(bytes.data(), bytes.size(), MaxScreenshotSide);
  if (!picture) return false;
  *out = std::move(*picture);
  return true;
}

int ScreenReader::LoadGlyphs(const std::string& dir) {
  int loaded = 0;
  for (int n = 0; n < GlyphCount; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "/%03d.bmp", n);
    PixelSurface picture;
    if (ReadBmpFile(dir + name, &picture)) {
      glyphs_[size_t(n)] = std::move(picture);
      ++loaded;
    } else {
      glyphs_[size_t(n)].reset();
    }
  }
  return loaded;
}

void ScreenReader::SetGlyph(int n, PixelSurface picture) {
  if (n >= 0 && n < GlyphCount) glyphs_[size_t(n)] = std::move(picture);
}

bool ScreenReader::FindLcd(const PixelSurface& shot, int32_t* outX, int32_t* outY) const {
  const auto& face = glyphs_[BlankFaceGlyph];
  if (!face || face->width < DotAreaEndX || face->height < DotAreaEndY) return false;
  if (shot.width < DotAreaEndX || shot.height < DotAreaEndY) return false;
  const uint32_t corner = face->At(0, 0);
  int bestScore = -1;
  int candidates = 0;
  for (int32_t y = 0; y + DotAreaEndY <= shot.height && candidates < MaxCandidates; ++y) {
    for (int32_t x = 0; x + DotAreaEndX <= shot.width && candidates < MaxCandidates; ++x) {
      if (shot.At(x, y) != corner) continue;
      // The face's edge: what lies to the left and above is not more of the same.
      if (x > 0 && shot.At(x - 1, y) == corner) continue;
      if (y > 0 && shot.At(x, y - 1) == corner) continue;
      // Only the face paints the margin, so it must be there untouched.
      if (!BlockEquals(shot, x, y, *face, DotAreaEndX, LcdMargin)) continue;
      if (!BlockEquals(shot, x, y, *face, LcdMargin, DotAreaEndY)) continue;
      ++candidates;
      const ScreenText text = ReadAt(shot, x, y);
      int score = 0;
      for (const auto& line : text.lines) {
        for (char c : line) score += c != '?';
      }
      for (char c : text.board) score += c != '?';
      if (score > bestScore) {
        bestScore = score;
        *outX = x;
        *outY = y;
      }
    }
  }
  return bestScore >= 0;
}

ScreenText ScreenReader::ReadAt(const PixelSurface& shot, int32_t x0, int32_t y0) const {
  static const std::vector<int> order = CellMatchOrder();
  ScreenText screen;
  screen.originX = x0;
  screen.originY = y0;
  for (int r = 0; r < LcdRows; ++r) {
    std::string& line = screen.lines[size_t(r)];
    for (int c = 0; c < LcdColumns; ++c) {
      int match = -1;
      for (int n : order) {
        const auto& g = glyphs_[size_t(n)];
        if (g && g->width == CellWidth && g->height == CellHeight &&
            BlockEquals(shot, x0 + CellPixelX(c), y0 + CellPixelY(r), *g, CellWidth, CellHeight)) {
          match = n;
          break;
        }
      }
      AppendCell(line, match);
    }
  }
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) {
      int match = -1;
      for (int n = 10; n <= 15 && match < 0; ++n) {
        const auto& g = glyphs_[size_t(n)];
        if (g && g->width == SquarePixels && g->height == SquarePixels &&
            BlockEquals(shot, x0 + DotPixel(SquareDot(x)), y0 + DotPixel(SquareDot(y)), *g, SquarePixels,
                        SquarePixels)) {
          match = n;
        }
      }
      screen.board += SquareChar(match);
    }
  }
  return screen;
}

ScreenText ScreenReader::Read(const PixelSurface& shot) const {
  int32_t x = 0, y = 0;
  const bool found = FindLcd(shot, &x, &y);
  ScreenText screen = ReadAt(shot, x, y);
  screen.found = found;
  return screen;
}

std::string FormatScreenText(const ScreenText& screen) {
  std::string out;
  for (const auto& line : screen.lines) out += line + '\n';
  for (size_t i = 0; i + 8 <= screen.board.size(); i += 8) out += screen.board.substr(i, 8) + '\n';
  return out;
}

}  // namespace dfx
