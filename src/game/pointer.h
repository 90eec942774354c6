// Pointer presses in the game's own terms: a press at a pixel of the 640x204 picture
// becomes the key the player means, decided from where it lands and from what the game
// is waiting for. Every front end stores presses in the input slot; only this decides.
#pragma once
#include <cstdint>
#include <optional>

namespace dfx {

enum class Waiting : uint8_t {
  Title,      // the title screen's choices
  HumanTurn,  // the human's move
  AnyKey,     // a pass or the result screen
};

// What a press means: a key code (0: nothing) and, on the human's turn, the square it
// took the cursor to first (0, 0: none).
struct PressMeaning {
  uint8_t key = 0;
  int8_t squareX = 0;
  int8_t squareY = 0;
  bool operator==(const PressMeaning&) const = default;
};

// undoHintShown: the undo hint is on the screen (the human's turn before an undo).
PressMeaning MeaningOfPress(Waiting waiting, bool undoHintShown, int32_t x, int32_t y);

struct PicturePoint {
  int16_t x = 0;
  int16_t y = 0;
  bool operator==(const PicturePoint&) const = default;
};

// Where to press for what a key does, for scripts and front-end tests: the centre of
// board square (x, y), 1..8 each.
PicturePoint SquareCentre(int x, int y);
// The title's choices (1, 2, R, Left, Right, the keypad's 1 and 2) and the undo hint
// (Backspace); for any other key a point that answers an "any key" wait and means
// nothing elsewhere. nullopt for Up and Down: only the board answers them, by squares.
std::optional<PicturePoint> PressForKey(uint8_t key);

}  // namespace dfx
