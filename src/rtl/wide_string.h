#pragma once
// The Win32 boundary of String: on Windows wchar_t is a UTF-16 code unit, so a
// String passes to a W function as it is, without conversion.

#include "rtl/ustring.h"

#ifdef _WIN32
#include <cstring>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline const wchar_t* WideCStr(const String& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

inline wchar_t* WideBuffer(String& s) {
  return reinterpret_cast<wchar_t*>(s.data());
}

inline String FromWide(const wchar_t* text, size_t length) {
  String out(length, u'\0');
  std::memcpy(out.data(), text, length * sizeof(wchar_t));
  return out;
}

inline String FromWide(const wchar_t* text) {
  return text ? FromWide(text, std::wcslen(text)) : String();
}
#endif
