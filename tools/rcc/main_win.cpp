// Windows entry point of the resource compiler: UTF-16 arguments in, and
// messages shown as UTF-16 on a console, as UTF-8 bytes when redirected.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "rcc.h"
#include "unicode.h"

namespace {

std::string Narrow(const wchar_t* wide) {
  const std::wstring_view w(wide);
  return rcc::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

void Print(DWORD which, std::FILE* stream, const std::string& text) {
  if (text.empty()) return;
  const HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const std::u16string wide = rcc::Utf8ToUtf16(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
    return;
  }
  std::fflush(stream);
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  const rcc::RunResult result = rcc::RunRcc(argc > 0 ? Narrow(argv[0]) : "rcc", args);
  Print(STD_OUTPUT_HANDLE, stdout, result.out_text);
  Print(STD_ERROR_HANDLE, stderr, result.err_text);
  return result.exit_code;
}
