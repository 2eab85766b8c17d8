#pragma once
// Errors of the PNG codec. Every message starts with the codec's version,
// "2.671 ", so that a report tells which codec refused a file.

#include <cstdint>

#include "rtl/exceptions.h"
#include "rtl/ustring.h"

RD_DECLARE_EXCEPTION(EPngError, EInvalidGraphic);
RD_DECLARE_EXCEPTION(EPNGOutMemory, EPngError);            // an allocation failed or was refused
RD_DECLARE_EXCEPTION(EPNGInvalidNewSize, EPngError);       // a negative size asked for
RD_DECLARE_EXCEPTION(EPngInvalidCRC, EPngError);           // a critical chunk's CRC-32 does not match
RD_DECLARE_EXCEPTION(EPNGZLIBError, EPngError);            // compressed data zlib refuses
RD_DECLARE_EXCEPTION(EPngInvalidSignature, EPngError);     // not the 8-byte PNG signature
RD_DECLARE_EXCEPTION(EPngHeaderNotFirst, EPngError);       // IHDR missing, misplaced or repeated
RD_DECLARE_EXCEPTION(EPngMissingHeader, EPngError);        // an operation needs a header the image lacks
RD_DECLARE_EXCEPTION(EPngNoImageData, EPngError);          // no IDAT chunk
RD_DECLARE_EXCEPTION(EPngInvalidSize, EPngError);          // width or height outside 1..65535
RD_DECLARE_EXCEPTION(EPngInvalidColorType, EPngError);     // colour type and bit depth do not pair
RD_DECLARE_EXCEPTION(EPngUnknownCompression, EPngError);   // compression, filter or interlace method unknown
RD_DECLARE_EXCEPTION(EPngUnknownCriticalChunk, EPngError); // a critical chunk this codec does not know
RD_DECLARE_EXCEPTION(EPngInvalidChunk, EPngError);         // a malformed, misplaced or repeated critical chunk
RD_DECLARE_EXCEPTION(EPngTruncated, EPngError);            // the data end inside a chunk or inside the image

// The version every message starts with.
inline constexpr char16_t kPngCodecVersion[] = u"2.671";

// Raises E with "2.671 " + text.
template <class E>
[[noreturn]] void RaisePng(StringView text) {
  String message = kPngCodecVersion;
  message += u' ';
  message += text;
  throw E(std::move(message));
}

// Raises EPNGOutMemory for a buffer of `bytes` that could not be had, with
// ", Size=<bytes>, W=<width>, H=<height>" appended.
[[noreturn]] void RaisePngOutOfMemory(uint64_t bytes, int64_t width, int64_t height);
