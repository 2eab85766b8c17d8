#include <windows.h>

#include "rtl/syserror.h"
#include "rtl/wide_string.h"

String SysErrorMessage(uint32_t error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  String message = length ? FromWide(text, length) : String();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() <= u' ' || message.back() == u'.')) message.pop_back();
  return message;
}
