#pragma once
// TRect and TPoint at the Win32 boundary.

#include "vcl/win_api.h"

#include "vcl/geometry.h"

inline RECT ToWinRect(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromWinRect(const RECT& r) {
  return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
          static_cast<int32_t>(r.bottom)};
}
