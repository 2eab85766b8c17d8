#include "engine/style/color_name_key.h"

#include <zlib.h>

#include <array>

uint32_t NameKey(StringView name) {
  // The bytes go to crc32 in chunks from a small buffer on the stack.
  constexpr size_t kChunkUnits = 64;
  std::array<Bytef, kChunkUnits * 2> bytes;
  uLong crc = crc32(0L, Z_NULL, 0);
  size_t pos = 0;
  while (pos < name.size()) {
    const size_t count = std::min(kChunkUnits, name.size() - pos);
    for (size_t i = 0; i < count; ++i) {
      char16_t unit = name[pos + i];
      if (unit >= u'A' && unit <= u'Z') unit = char16_t(unit + (u'a' - u'A'));
      bytes[i * 2] = Bytef(unit & 0xFF);
      bytes[i * 2 + 1] = Bytef(unit >> 8);
    }
    crc = crc32(crc, bytes.data(), uInt(count * 2));
    pos += count;
  }
  return (uint32_t(crc) & 0x00FFFFFFu) | 0xFF000000u;
}
