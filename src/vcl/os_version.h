#pragma once
// The version of the running Windows as the platform reports it to this
// program (a compatibility setting or Wine's per-program version included).

#include <cstdint>

struct TOSVersion {
  int32_t Major = 0;
  int32_t Minor = 0;
  int32_t Build = 0;
};

// Queried once, then remembered.
const TOSVersion& OSVersion();
inline int32_t Win32MajorVersion() { return OSVersion().Major; }
inline int32_t Win32MinorVersion() { return OSVersion().Minor; }
