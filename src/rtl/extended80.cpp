#include "rtl/extended80.h"

#include <cmath>
#include <cstring>

void DoubleToExtended80(double value, uint8_t out[10]) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint16_t sign = static_cast<uint16_t>((bits >> 63) << 15);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint16_t exp80 = 0;
  uint64_t mantissa = 0;
  if (exponent == 0x7FF) {  // infinity or NaN (payload kept, quiet bit set)
    exp80 = 0x7FFF;
    mantissa = (uint64_t{1} << 63) | (fraction << 11) | (fraction ? uint64_t{1} << 62 : 0);
  } else if (exponent != 0) {
    exp80 = static_cast<uint16_t>(exponent - 1023 + 16383);
    mantissa = (uint64_t{1} << 63) | (fraction << 11);
  } else if (fraction != 0) {  // subnormal double: normalise
    int shift = 0;
    mantissa = fraction << 11;
    while (!(mantissa >> 63)) {
      mantissa <<= 1;
      ++shift;
    }
    exp80 = static_cast<uint16_t>(1 - 1023 + 16383 - shift);
  }
  exp80 |= sign;
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  out[8] = static_cast<uint8_t>(exp80);
  out[9] = static_cast<uint8_t>(exp80 >> 8);
}

double Extended80ToDouble(const uint8_t in[10]) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(in[i]) << (8 * i);
  const int exp_and_sign = in[8] | (in[9] << 8);
  const bool negative = exp_and_sign & 0x8000;
  const int exponent = exp_and_sign & 0x7FFF;
  double result;
  if (exponent == 0x7FFF) {
    result = (mantissa << 1) == 0 ? INFINITY : NAN;
  } else if (mantissa == 0) {
    result = 0.0;
  } else {
    // Rounds the 64-bit mantissa to 53 bits, then scales (exponent 0 is a
    // denormal extended, whose scale is that of exponent 1).
    result = std::ldexp(static_cast<double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
  }
  return negative ? -result : result;
}
