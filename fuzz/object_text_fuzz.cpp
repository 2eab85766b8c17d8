// Object text: the parser and the text -> binary conversion must raise
// parser errors for bad text, never crash, leak or loop. Whatever converts
// must convert back to text, and that text must convert to the same text
// again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "rtl/objtext.h"

namespace {

std::string Convert(void (*convert)(TStream&, TStream&), const std::string& input) {
  TResourceStream in(input.data(), static_cast<int64_t>(input.size()));
  TMemoryStream out;
  convert(in, out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string binary;
  try {
    binary = Convert(ObjectTextToBinary, text);
  } catch (const EParserError&) {
    return 0;
  }
  const std::string text1 = Convert(ObjectBinaryToText, binary);  // must not raise
  const std::string text2 = Convert(ObjectBinaryToText, Convert(ObjectTextToBinary, text1));
  if (text1 != text2) std::abort();
  return 0;
}
