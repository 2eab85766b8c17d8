#pragma once
// Mouse cursors by the framework's numbers: 0 is "the default" (the window
// decides), negative numbers are the system's cursors.

#include "vcl/win_api.h"

#include <cstdint>

using TCursor = int16_t;

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The system cursor of a framework cursor number (the arrow for numbers the
// system has no cursor for; none for crNone). Shared system handles: never
// destroyed.
HCURSOR SystemCursorHandle(TCursor cursor);
