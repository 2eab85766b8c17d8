// Build-time converter of a form from object text to its binary image:
//   form_converter INPUT.txt OUTPUT.bin
// Runs on the build machine. On any error it prints "INPUT: message" to the
// error output, leaves no output file behind and exits with 1.
#include <cstdio>
#include <exception>
#include <string>

#include "rtl/exceptions.h"
#include "rtl/objtext.h"
#include "rtl/streams.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: form_converter INPUT OUTPUT\n");
    return 2;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  try {
    TMemoryStream text;
    text.LoadFromFile(Utf8ToString(input));
    TMemoryStream binary;
    ObjectTextToBinary(text, binary);
    try {
      binary.SaveToFile(Utf8ToString(output));
    } catch (...) {
      std::remove(output.c_str());
      throw;
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", input.c_str(), error.what());
    return 1;
  }
}
