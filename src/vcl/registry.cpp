#include "vcl/registry.h"

#include <vector>

#include "rtl/sysutils.h"
#include "rtl/wide_string.h"

namespace {

constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

}  // namespace

void TRegistry::SetRootKey(HKEY value) {
  if (value == root_key_) return;
  CloseKey();
  root_key_ = value;
}

void TRegistry::CloseKey() {
  if (current_key_) RegCloseKey(current_key_);
  current_key_ = nullptr;
  current_path_.clear();
}

bool TRegistry::OpenWith(StringView key, REGSAM access, bool can_create) {
  const bool relative = key.empty() || key.front() != u'\\';
  String path(relative ? key : key.substr(1));
  HKEY base = relative && current_key_ ? current_key_ : root_key_;
  HKEY opened = nullptr;
  if (can_create) {
    last_error_ = RegCreateKeyExW(base, WideCStr(path), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &opened,
                                  nullptr);
  } else {
    last_error_ = RegOpenKeyExW(base, WideCStr(path), 0, access, &opened);
  }
  if (last_error_ != ERROR_SUCCESS) return false;
  if (relative && current_key_ && !current_path_.empty()) path = current_path_ + u"\\" + path;
  CloseKey();
  current_key_ = opened;
  current_path_ = std::move(path);
  return true;
}

bool TRegistry::OpenKey(StringView key, bool can_create) { return OpenWith(key, access_, can_create); }

bool TRegistry::OpenKeyReadOnly(StringView key) {
  const REGSAM view = access_ & kViewFlags;
  for (REGSAM rights : {REGSAM{KEY_READ}, REGSAM{KEY_READ & ~KEY_NOTIFY}, REGSAM{KEY_QUERY_VALUE}}) {
    if (OpenWith(key, rights | view, false)) {
      access_ = rights | view;
      return true;
    }
  }
  return false;
}

bool TRegistry::KeyExists(StringView key) {
  const bool relative = key.empty() || key.front() != u'\\';
  const String path(relative ? key : key.substr(1));
  HKEY base = relative && current_key_ ? current_key_ : root_key_;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(base, WideCStr(path), 0, STANDARD_RIGHTS_READ | (access_ & kViewFlags), &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

bool TRegistry::ValueInfo(StringView name, DWORD& type, DWORD& size) const {
  if (!current_key_) return false;
  const String value_name(name);
  type = REG_NONE;
  size = 0;
  return RegQueryValueExW(current_key_, WideCStr(value_name), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(StringView name) const {
  DWORD type, size;
  return ValueInfo(name, type, size);
}

String TRegistry::ReadString(StringView name) const {
  DWORD type, size;
  if (!ValueInfo(name, type, size)) return String();
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    throw ERegistryException(Format(u"Invalid data type for '%s'", {name}));
  }
  const String value_name(name);
  // The value may change between the two queries: grow until it fits.
  std::vector<char16_t> buffer(size / sizeof(char16_t) + 1);
  for (;;) {
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(char16_t));
    const LONG result = RegQueryValueExW(current_key_, WideCStr(value_name), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (result == ERROR_MORE_DATA) {
      buffer.resize(bytes / sizeof(char16_t) + 1);
      continue;
    }
    if (result != ERROR_SUCCESS) throw ERegistryException(Format(u"Failed to get data for '%s'", {name}));
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      throw ERegistryException(Format(u"Invalid data type for '%s'", {name}));
    }
    // Stored strings need not end in a zero, or may end in several.
    size_t length = bytes / sizeof(char16_t);
    while (length > 0 && buffer[length - 1] == u'\0') --length;
    return String(buffer.data(), length);
  }
}

int32_t TRegistry::ReadInteger(StringView name) const {
  DWORD type = REG_NONE, size = 0;
  const String value_name(name);
  DWORD value = 0;
  size = sizeof(value);
  if (!current_key_ ||
      RegQueryValueExW(current_key_, WideCStr(value_name), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS) {
    throw ERegistryException(Format(u"Failed to get data for '%s'", {name}));
  }
  if (type != REG_DWORD) throw ERegistryException(Format(u"Invalid data type for '%s'", {name}));
  return static_cast<int32_t>(value);
}
