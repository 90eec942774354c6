#include "game/pointer.h"

#include <algorithm>
#include <string>

#include "game/texts.h"
#include "host/keys.h"
#include "lcd/lcd.h"

namespace dfx {

namespace {

constexpr int CellDotsWide = CellWidth / DotPixels;
constexpr int CellDotsHigh = CellHeight / DotPixels;
constexpr int BoardDots = 8 * 6;  // the last square's box ends on this dot line
// Title rows and columns as the title screen prints them.
constexpr int LevelRow = 4;
constexpr int LevelDigitColumn = 11;
constexpr int RightMarkColumn = 14;  // "LEVEL 0(" then the left mark, the right mark, ")"
constexpr int UndoHintColumn = 9;
constexpr int UndoHintRow = 2;
constexpr int UndoHintLength = int(std::char_traits<char>::length(texts::UndoHint));

int Centre(int firstColumn, int columns) { return CellPixelX(firstColumn) + columns * CellWidth / 2; }

}  // namespace

PressMeaning MeaningOfPress(Waiting waiting, bool undoHintShown, int32_t x, int32_t y) {
  if (x < LcdMargin || y < LcdMargin) return {};
  const int dx = (x - LcdMargin) / DotPixels, dy = (y - LcdMargin) / DotPixels;
  if (dx >= LcdDotsWide || dy >= LcdDotsHigh) return {};
  const int column = dx / CellDotsWide, row = dy / CellDotsHigh;
  switch (waiting) {
    case Waiting::AnyKey: return {keys::Return};
    case Waiting::Title:
      // A title line is its whole row: nothing else shares it, and a row is an easier
      // target than the printed letters on a small screen.
      switch (row) {
        case 1: return {keys::One};
        case 2: return {keys::Two};
        case 3: return {keys::R};
        case LevelRow:
          // The digit is followed by "(", the left mark and the right mark: everything up
          // to the left mark lowers the level, the right mark and beyond raises it.
          if (column == LevelDigitColumn) return {};
          return {column < RightMarkColumn ? keys::Left : keys::Right};
        default: return {};
      }
    case Waiting::HumanTurn:
      // Each square owns the dot lines of its box's left and top edge; the last column
      // also its right edge.
      if (dx <= BoardDots)
        return {keys::Return, int8_t(std::min(dx / 6 + 1, 8)), int8_t(std::min(dy / 6 + 1, 8))};
      // Only the printed hint: an undo is counted on the result screen, so a stray press
      // on the empty panel must not take one.
      if (undoHintShown && row == UndoHintRow && column >= UndoHintColumn &&
          column < UndoHintColumn + UndoHintLength)
        return {keys::Back};
      return {};
  }
  return {};
}

PicturePoint SquareCentre(int x, int y) {
  return {int16_t(DotPixel(SquareDot(x)) + 10), int16_t(DotPixel(SquareDot(y)) + 10)};
}

std::optional<PicturePoint> PressForKey(uint8_t key) {
  const auto at = [](int column, int columns, int row) {
    return PicturePoint{int16_t(Centre(column, columns)), int16_t(CellPixelY(row) + CellHeight / 2)};
  };
  switch (key) {
    case keys::One:
    case keys::NumpadOne: return at(5, 14, 1);
    case keys::Two:
    case keys::NumpadTwo: return at(5, 14, 2);
    case keys::R: return at(5, 14, 3);
    case keys::Left: return at(RightMarkColumn - 1, 1, LevelRow);
    case keys::Right: return at(RightMarkColumn, 1, LevelRow);
    case keys::Back: return at(UndoHintColumn, UndoHintLength, UndoHintRow);
    case keys::Up:
    case keys::Down: return std::nullopt;
    default: return at(16, 1, 0);  // the title's name, the panel's top row: nothing but to go on
  }
}

}  // namespace dfx
