#pragma once
// TRegistry: reads the Windows registry under one root key. Keys are opened
// with the access rights in Access, which may carry the 32/64-bit view flags
// (KEY_WOW64_32KEY, KEY_WOW64_64KEY); every open keeps the view flags, so a
// 64-bit program reads the 32-bit view with KEY_WOW64_32KEY. A key path
// that begins with "\" starts at the root key, any other at the current key.
// Opening reports failure by its result; reading a value of another type
// raises ERegistryException.

#include "vcl/win_api.h"

#include <cstdint>

#include "rtl/exceptions.h"
#include "rtl/ustring.h"

class TRegistry {
 public:
  // HKEY_CURRENT_USER, full access.
  TRegistry() : TRegistry(KEY_ALL_ACCESS) {}
  explicit TRegistry(REGSAM access) : access_(access) {}
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return root_key_; }
  // Closes the current key.
  void SetRootKey(HKEY value);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM value) { access_ = value; }
  HKEY CurrentKey() const { return current_key_; }
  // The path of the current key below the root, without leading "\".
  const String& CurrentPath() const { return current_path_; }
  // The system error code of the last failed open (ERROR_SUCCESS after one
  // that worked).
  LONG LastError() const { return last_error_; }

  // With Access; creates the key when it is missing and `can_create`.
  bool OpenKey(StringView key, bool can_create);
  // KEY_READ, then KEY_READ without KEY_NOTIFY, then KEY_QUERY_VALUE alone,
  // each with the view flags of Access; Access becomes the rights that worked.
  bool OpenKeyReadOnly(StringView key);
  bool KeyExists(StringView key);
  void CloseKey();

  bool ValueExists(StringView name) const;
  // A REG_SZ or REG_EXPAND_SZ value (not expanded); "" when the value does not
  // exist; ERegistryException "Invalid data type for '<name>'" for another type.
  String ReadString(StringView name) const;
  // A REG_DWORD value; ERegistryException when missing or of another type.
  int32_t ReadInteger(StringView name) const;

 private:
  bool OpenWith(StringView key, REGSAM access, bool can_create);
  // Type and size of the value in bytes; false when it does not exist.
  bool ValueInfo(StringView name, DWORD& type, DWORD& size) const;

  HKEY root_key_ = HKEY_CURRENT_USER;
  HKEY current_key_ = nullptr;
  String current_path_;
  REGSAM access_;
  LONG last_error_ = ERROR_SUCCESS;
};
