#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dfx {
namespace {

TEST(FormatNumber, ExampleTable) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {5, "5"},
      {-12, "-12"},
      {0.5, "0.5"},
      {-0.25, "-0.25"},
      {1234567, "1234567"},
      {1234.0 / 1000, "1.234"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {100.0 / 3, "33.3333333333333"},
      {0.001, "0.001"},
      {0.0001, "0.0001"},
      {0.00001, "1.00000000000000e-05"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1.00000000000000e+015"},
      {1234567890123456.0, "1.23456789012346e+015"},
      {1e20, "1.00000000000000e+020"},
      {-1e-7, "-1.00000000000000e-07"},
      {9.99999999999999, "10"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

TEST(FormatNumber, ExponentBoundariesAndRounding) {
  EXPECT_EQ(FormatNumber(999999999999999.0), "1.00000000000000e+015");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(1e-10), "1.00000000000000e-10");
  EXPECT_EQ(FormatNumber(1.5e-100), "1.50000000000000e-100");
  EXPECT_EQ(FormatNumber(4.94065645841247e-324), "4.94065645841247e-324");
  EXPECT_EQ(FormatNumber(-4.94065645841247e-324).size(), 22u);
  EXPECT_EQ(FormatNumber(1.7976931348623157e308), "1.79769313486232e+308");
  // The time shown at level S: hundredths of a second as seconds.
  EXPECT_EQ(FormatNumber(std::floor(1234 / 10.0) / 100), "1.23");
  EXPECT_EQ(FormatNumber(std::floor(5 / 10.0) / 100), "0");
  EXPECT_EQ(FormatNumber(std::floor(20 / 10.0) / 100), "0.02");
}

TEST(FormatNumber, NonFiniteValuesTerminate) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "Inf");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-Inf");
  EXPECT_EQ(FormatNumber(std::nan("")), "NaN");
}

TEST(DecimalDigits, CarryFromBelowOne) {
  int32_t e = 0, negative = 0;
  // Just below 1 the first digit is 0 and the rounding carries into it.
  std::string d = DecimalDigits(0.9999999999999999, 15, &e, &negative);
  EXPECT_EQ(d, "100000000000000");
  EXPECT_EQ(e, 1);
  d = DecimalDigits(-250, 15, &e, &negative);
  EXPECT_EQ(d, "250000000000000");
  EXPECT_EQ(e, 3);
  EXPECT_EQ(negative, 1);
}

TEST(FloorToInt, RoundsTowardsMinusInfinity) {
  EXPECT_EQ(FloorToInt(2.7), 2);
  EXPECT_EQ(FloorToInt(-2.5), -3);
  EXPECT_EQ(FloorToInt(-3.0), -3);
  EXPECT_EQ(FloorToInt(-0.1), -1);
  EXPECT_EQ(FloorToInt(80.0 / 9), 8);
  EXPECT_EQ(FloorToInt(1e300), INT32_MAX);
  EXPECT_EQ(FloorToInt(-1e300), INT32_MIN);
  EXPECT_EQ(FloorToInt(std::nan("")), 0);
}

}  // namespace
}  // namespace dfx
