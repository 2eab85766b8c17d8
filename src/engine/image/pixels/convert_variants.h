#pragma once
// The row kernels of the conversions: portable references and the vector
// variants that equal them bit for bit.

#include <cstdint>

// Row parameters as the kernels read them.
struct TConvertRowSetup {
  uint32_t KeyBits;  // 24-bit key in pixel order; 0xFFFFFFFF: no key
  bool Premultiply;
  bool Gray;
};

// 24-bit pixels and their alpha (none: 255) into 32-bit pixels.
void ConvertBgrRowPortable(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                           const TConvertRowSetup& setup);
void ConvertBgrRowSsse3(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                        const TConvertRowSetup& setup);
void ConvertBgrRowAvx2(uint8_t* dest, const uint8_t* bgr, const uint8_t* alpha, int32_t count,
                       const TConvertRowSetup& setup);

// 32-bit pixels with their own alpha into 32-bit pixels; dest may equal source.
void ConvertBgraRowPortable(uint8_t* dest, const uint8_t* bgra, int32_t count, const TConvertRowSetup& setup);
void ConvertBgraRowSse2(uint8_t* dest, const uint8_t* bgra, int32_t count, const TConvertRowSetup& setup);
void ConvertBgraRowAvx2(uint8_t* dest, const uint8_t* bgra, int32_t count, const TConvertRowSetup& setup);
