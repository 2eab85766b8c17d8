#include <cstring>

#include "rtl/syserror.h"

String SysErrorMessage(uint32_t error) {
  String message = Utf8ToString(std::strerror(static_cast<int>(error)));
  while (!message.empty() && (message.back() <= u' ' || message.back() == u'.')) message.pop_back();
  return message;
}
