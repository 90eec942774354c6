// Number-to-text conversion for everything the LCD shows: at most 15 significant
// digits, plain decimal for ordinary magnitudes and a mantissa with exponent beyond.
// Also the floor conversion that board, graphics and CPU code share.
#pragma once
#include <cstdint>
#include <string>

namespace dfx {

// Largest 32-bit integer not above v; NaN gives 0, out-of-range values saturate.
int32_t FloorToInt(double v);

// Digits d[0..n-1] with v = 0.d0d1...  x 10^exponent; n is at most 15.
// Returns the shared digit buffer (valid until the next call).
const char* DecimalDigits(double v, int n, int32_t* exponent, int32_t* negative);

// Adds 1 at position p of the shared digit buffer, carrying to the left.
void IncrementDigit(int p);

// The text of v as the screen shows it, e.g. "0.333333333333333", "1.00000000000000e+015".
std::string FormatNumber(double v);

}  // namespace dfx
