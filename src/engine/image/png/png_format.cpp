#include "engine/image/png/png_format.h"

#include <cstring>

bool IsValidPngDepth(uint8_t color_type, uint8_t bit_depth) {
  switch (color_type) {
    case kPngGrey:
      return bit_depth == 1 || bit_depth == 2 || bit_depth == 4 || bit_depth == 8 || bit_depth == 16;
    case kPngIndexed:
      return bit_depth == 1 || bit_depth == 2 || bit_depth == 4 || bit_depth == 8;
    case kPngTrueColor:
    case kPngGreyAlpha:
    case kPngTrueColorAlpha:
      return bit_depth == 8 || bit_depth == 16;
    default:
      return false;
  }
}

int PngChannels(uint8_t color_type) {
  switch (color_type) {
    case kPngTrueColor: return 3;
    case kPngGreyAlpha: return 2;
    case kPngTrueColorAlpha: return 4;
    default: return 1;
  }
}

int LayoutBitsPerPixel(uint8_t color_type, uint8_t bit_depth, bool want_32bit) {
  switch (color_type) {
    case kPngTrueColor: return 24;
    case kPngTrueColorAlpha: return want_32bit ? 32 : 24;
    case kPngDeviceBitmap: return 32;
    default:
      if (bit_depth == 2) return 4;
      if (bit_depth == 16) return 8;
      return color_type == kPngGreyAlpha ? 8 : bit_depth;
  }
}

void SetPixelInfoHeader(TPngPixelInfo& info, int32_t width, int32_t height, int bit_count) {
  std::memset(&info.Header, 0, sizeof info.Header);
  info.Header.biSize = sizeof(TPngBitmapInfoHeader);
  info.Header.biWidth = width;
  info.Header.biHeight = -height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = uint16_t(bit_count);
}
