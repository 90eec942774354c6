#include "runtime/number_text.h"

#include <cmath>
#include <cstdio>

namespace dfx {

namespace {
// Digit values while converting, characters once done; shared like the original buffer.
char digitBuffer[16];
}  // namespace

int32_t FloorToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  int32_t r = static_cast<int32_t>(v);
  if (v < 0 && v < static_cast<double>(r)) r -= 1;
  return r;
}

void IncrementDigit(int p) {
  for (; p >= 0; --p) {
    if (digitBuffer[p] != 9) {
      digitBuffer[p] += 1;
      return;
    }
    digitBuffer[p] = 0;
  }
}

const char* DecimalDigits(double v, int n, int32_t* exponent, int32_t* negative) {
  if (n > 15) n = 15;
  if (n < 0) n = 0;
  if (v == 0) {
    for (int i = 0; i < n; ++i) digitBuffer[i] = '0';
    digitBuffer[n] = 0;
    *exponent = 0;
    *negative = 0;
    return digitBuffer;
  }
  *negative = 0;
  if (v < 0) {
    *negative = 1;
    v = v * -1;
  }
  int32_t e = 1;
  while (v < 0.999999999999999) {
    v = v * 10;
    e -= 1;
  }
  while (v >= 9.99999999999999) {
    v = v / 10;
    e += 1;
  }
  for (int i = 0; i < n; ++i) {
    int32_t d = FloorToInt(v);
    digitBuffer[i] = static_cast<char>(d);
    v = (v - d) * 10;
  }
  if (n > 0 && v >= 5) IncrementDigit(n - 1);
  for (int i = 0; i < n; ++i) digitBuffer[i] = static_cast<char>('0' + digitBuffer[i]);
  digitBuffer[n] = 0;
  *exponent = e;
  return digitBuffer;
}

std::string FormatNumber(double v) {
  // Infinities would make the scaling loops run for ever.
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";

  int32_t e = 0;
  int32_t negative = 0;
  const char* d = DecimalDigits(v, 15, &e, &negative);
  std::string text;
  if (negative) text += '-';
  char exponentText[16];
  if (e > 15 || e < -3) {
    text += d[0];
    text += '.';
    text.append(d + 1, 14);
    text += 'e';
    std::snprintf(exponentText, sizeof exponentText, e > 15 ? "+%03d" : "%03d", static_cast<int>(e - 1));
    text += exponentText;
    return text;
  }
  int next = 0;
  if (e > 0) {
    text.append(d, static_cast<size_t>(e));
    text += '.';
    next = e;
  } else {
    text += "0.";
    text.append(static_cast<size_t>(-e), '0');
  }
  text.append(d + next, static_cast<size_t>(15 - next));
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

}  // namespace dfx
