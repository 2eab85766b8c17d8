#pragma once
// Window messages as the controls see them: the message record every window
// procedure step takes, typed views of it for the messages the controls
// handle, and the framework's own messages (CM_...), which controls send
// each other and which never leave the process.

#include "vcl/win_api.h"

#include <cstdint>

#include "vcl/geometry.h"

// One message on its way through a control's window procedure.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The framework's messages.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 4;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 5;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 6;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr UINT CM_HITTEST = CM_BASE + 10;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr UINT CM_ENTER = CM_BASE + 12;
inline constexpr UINT CM_EXIT = CM_BASE + 13;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 16;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 17;
inline constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 18;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 24;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr UINT CM_HINTSHOW = CM_BASE + 48;
inline constexpr UINT CM_INVALIDATE = CM_BASE + 52;
inline constexpr UINT CM_RECREATEWND = CM_BASE + 51;
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
inline constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
inline constexpr UINT CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 70;

// The signed 16-bit halves of a packed point, as mouse messages carry it.
inline TPoint PointFromLParam(LPARAM value) {
  return {static_cast<int16_t>(static_cast<uint32_t>(value) & 0xFFFF),
          static_cast<int16_t>((static_cast<uint32_t>(value) >> 16) & 0xFFFF)};
}
// Packs a point into 16-bit halves (values beyond 16 bits are cut, as the
// platform's messages cut them).
inline LPARAM PointToLParam(TPoint p) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(p.Y)) << 16) |
                             static_cast<uint16_t>(p.X));
}

// Typed views of a TMessage; they change the record they view.

// WM_PAINT and WM_ERASEBKGND: a device context in WParam, or none for a real paint.
struct TWMPaint {
  TMessage& message;
  HDC DC() const { return reinterpret_cast<HDC>(message.WParam); }
  void SetDC(HDC dc) { message.WParam = reinterpret_cast<WPARAM>(dc); }
};

// Mouse button and move messages: key flags in WParam, the client point in LParam.
struct TWMMouse {
  TMessage& message;
  uint32_t Keys() const { return static_cast<uint32_t>(message.WParam); }
  TPoint Pos() const { return PointFromLParam(message.LParam); }
  int32_t XPos() const { return Pos().X; }
  int32_t YPos() const { return Pos().Y; }
};

// CM_HITTEST: the point in control coordinates in LParam; the result is 1
// for a hit, 0 for none and -1 for a point the control lets through.
struct TCMHitTest {
  TMessage& message;
  TPoint Pos() const { return PointFromLParam(message.LParam); }
};

// WM_SETCURSOR: the window under the cursor, the hit-test code and the mouse message.
struct TWMSetCursor {
  TMessage& message;
  HWND CursorWnd() const { return reinterpret_cast<HWND>(message.WParam); }
  int16_t HitTest() const { return static_cast<int16_t>(message.LParam & 0xFFFF); }
  UINT MouseMsg() const { return static_cast<UINT>((static_cast<uint32_t>(message.LParam) >> 16) & 0xFFFF); }
};

// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED: the WINDOWPOS in LParam,
// none for the changed message a windowless control sends itself.
struct TWMWindowPosMsg {
  TMessage& message;
  WINDOWPOS* WindowPos() const { return reinterpret_cast<WINDOWPOS*>(message.LParam); }
};

// CM_MOUSEWHEEL and WM_MOUSEWHEEL: key flags in the low word of WParam, the
// wheel delta in the high word, the screen point in LParam.
struct TCMMouseWheel {
  TMessage& message;
  uint32_t Keys() const { return static_cast<uint32_t>(message.WParam & 0xFFFF); }
  int16_t WheelDelta() const { return static_cast<int16_t>((static_cast<uint64_t>(message.WParam) >> 16) & 0xFFFF); }
  TPoint Pos() const { return PointFromLParam(message.LParam); }
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR: the key or character in WParam.
struct TWMKey {
  TMessage& message;
  uint16_t CharCode() const { return static_cast<uint16_t>(message.WParam); }
  void SetCharCode(uint16_t code) { message.WParam = code; }
};
