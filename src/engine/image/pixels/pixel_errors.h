#pragma once
// The messages of the bitmap-descriptor and blur routines, one table indexed
// 0..9. Several entries are never raised by the engine; they are kept so that
// the indices stay those of the table.

#include <cstdint>

enum class TPixelError : uint8_t {
  InvalidImageData,         // "Invalid image data."
  InvalidDevice,            // "Invalid device handle or regional."
  InvalidBitmapHandle,      // "Invalid bitmap handle."
  InvalidRectangle,         // "Invalid rectangular area."
  NotEnoughMemory,          // "Not enough memory."
  IllegalParameters,        // "Illegal parameters."
  Must32Bit,                // "Must be 32 bit image pixel format."
  Must8Bit,                 // "Must be 8 bit image pixel format."
  FormatNotSupported,       // "The image pixel format not supported."
  NotInvertibleTransform,   // "Not invertible transformation matrix."
};

const char16_t* PixelErrorText(TPixelError error);

// Raises a plain Exception with the error's text.
[[noreturn]] void RaisePixelError(TPixelError error);
