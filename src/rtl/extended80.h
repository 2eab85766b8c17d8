#pragma once
// The 10-byte x87 extended float of the binary form format (sign, 15-bit
// exponent biased by 16383, 64-bit mantissa with an explicit integer bit,
// little-endian), converted portably to and from double. Every double
// converts exactly; an extended value converts to the nearest double
// (overflow to infinity, tiny values to subnormals or zero).

#include <cstdint>

void DoubleToExtended80(double value, uint8_t out[10]);
double Extended80ToDouble(const uint8_t in[10]);
