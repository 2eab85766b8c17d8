#include "engine/style/color_name_key.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

// The key computed the long way: the lower-cased name as UTF-16LE bytes in
// one piece, through zlib.
uint32_t ReferenceKey(const std::string& lower_ascii) {
  std::string bytes;
  for (char c : lower_ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()));
  return (uint32_t(crc) & 0xFFFFFFu) | 0xFF000000u;
}

TEST(NameKey, KnownValues) {
  // CRC-32 of the bytes "a", 0 is 0x3D3F4819; of nothing it is 0.
  EXPECT_EQ(NameKey(u""), 0xFF000000u);
  EXPECT_EQ(NameKey(u"a"), 0xFF3F4819u);
  EXPECT_EQ(NameKey(u"A"), 0xFF3F4819u);
}

TEST(NameKey, LowerCasesOnlyAsciiLettersAndMatchesOnePieceCrc) {
  EXPECT_EQ(NameKey(u"clBtnFace"), ReferenceKey("clbtnface"));
  EXPECT_EQ(NameKey(u"CLBTNFACE"), NameKey(u"clbtnface"));
  // Letters outside A-Z keep their case: "Ä" and "ä" are different names.
  EXPECT_NE(NameKey(u"\u00C4"), NameKey(u"\u00E4"));
  // Names longer than the internal chunk give the same key as one piece.
  const std::string long_name(200, 'q');
  EXPECT_EQ(NameKey(std::u16string(200, u'Q')), ReferenceKey(long_name));
}

}  // namespace
