#include "engine/image/pixels/pixel_errors.h"

#include "rtl/exceptions.h"

const char16_t* PixelErrorText(TPixelError error) {
  static constexpr const char16_t* kTexts[] = {
      u"Invalid image data.",
      u"Invalid device handle or regional.",
      u"Invalid bitmap handle.",
      u"Invalid rectangular area.",
      u"Not enough memory.",
      u"Illegal parameters.",
      u"Must be 32 bit image pixel format.",
      u"Must be 8 bit image pixel format.",
      u"The image pixel format not supported.",
      u"Not invertible transformation matrix.",
  };
  return kTexts[size_t(error)];
}

void RaisePixelError(TPixelError error) { throw Exception(String(PixelErrorText(error))); }
