#pragma once
// The framework's GDI attribute objects: TFont, TPen and TBrush. Each keeps
// its attributes and hands out a GDI handle made from them on demand; equal
// attributes share one handle through a process-wide cache (gdi_cache.h).
// A setter that changes an attribute calls Changed, which fires OnChange (a
// canvas reselects the object there); the handle of the old attributes is
// released only after that, so it is never deleted while selected.

#include "vcl/win_api.h"

#include <cstdint>

#include "rtl/classes.h"
#include "vcl/gdi_cache.h"
#include "vcl/colors.h"

class TBitmap;

class TGraphicsObject : public TPersistent {
  RD_CLASS(TGraphicsObject, TPersistent)
  TGraphicsObject() = default;

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

RD_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
RD_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
// In the order of the platform's output qualities (DEFAULT_QUALITY = 0 ...
// CLEARTYPE_NATURAL_QUALITY = 6).
RD_ENUM(TFontQuality, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
        fqClearTypeNatural)
using TFontCharset = uint8_t;

// The logical font a TFont handle is made from (also the cache key).
struct TFontAttributes {
  String Name;
  int32_t Height = 0;  // negative: character height in pixels; positive: cell height
  int32_t Orientation = 0;  // tenths of a degree
  uint32_t Style = 0;       // TFontStyles bits
  TFontCharset Charset = DEFAULT_CHARSET;
  TFontPitch Pitch = fpDefault;
  TFontQuality Quality = fqDefault;
  HGDIOBJ Adopted = nullptr;  // a handle given to SetHandle
  friend auto operator<=>(const TFontAttributes&, const TFontAttributes&) = default;
};

// The pixels per inch of the screen (LOGPIXELSY), read once.
int32_t ScreenLogPixels();

class TFont : public TGraphicsObject {
  RD_CLASS(TFont, TGraphicsObject)
  // Tahoma, 8 points at the screen's resolution, clWindowText.
  TFont();
  ~TFont() override;

  void Assign(const TPersistent* source) override;

  // Made on first use from the attributes; owned by the font cache.
  HFONT Handle() const;
  // Takes ownership of `handle` and takes the attributes from its logical
  // font; 0 goes back to the default attributes.
  void SetHandle(HFONT handle);

  const String& Name() const;
  void SetName(const String& value);
  int32_t Height() const;
  void SetHeight(int32_t value);
  // Points at PixelsPerInch: -Height * 72 / PixelsPerInch, rounded.
  int32_t Size() const;
  void SetSize(int32_t value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles value);
  TFontCharset Charset() const;
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch value);
  TFontQuality Quality() const;
  void SetQuality(TFontQuality value);
  int32_t Orientation() const;
  void SetOrientation(int32_t value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Converts between Size and Height; changing it leaves Height alone.
  int32_t PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int32_t value) { pixels_per_inch_ = value > 0 ? value : ScreenLogPixels(); }

  const TFontAttributes& Attributes() const;
  void SetAttributes(const TFontAttributes& value);

 private:
  template <class Change>
  void Modify(Change change);
  TGdiObjectCache<TFontAttributes>::Entry* resource_;
  TColor color_ = clWindowText;
  int32_t pixels_per_inch_;
};

// Pen styles in the order of the platform's PS_ values (PS_SOLID = 0 ...
// PS_INSIDEFRAME = 6); psClear is PS_NULL.
RD_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
// How the pen mixes with the pixels under it (PenModeToRop2 gives the
// platform's raster operation).
RD_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
        pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)

// The platform's raster operation (R2_...) of a pen mode.
int PenModeToRop2(TPenMode mode);

struct TPenAttributes {
  TColor Color = clBlack;
  int32_t Width = 1;
  TPenStyle Style = psSolid;
  HGDIOBJ Adopted = nullptr;
  friend auto operator<=>(const TPenAttributes&, const TPenAttributes&) = default;
};

class TPen : public TGraphicsObject {
  RD_CLASS(TPen, TGraphicsObject)
  // A black solid pen of width 1, mode pmCopy.
  TPen();
  ~TPen() override;

  void Assign(const TPersistent* source) override;

  HPEN Handle() const;
  // Takes ownership of `handle` and takes colour, width and style from it.
  void SetHandle(HPEN handle);

  TColor Color() const;
  void SetColor(TColor value);
  int32_t Width() const;
  // Values below 1 become 1.
  void SetWidth(int32_t value);
  TPenStyle Style() const;
  void SetStyle(TPenStyle value);
  // Not part of the handle: the canvas applies it with SetROP2.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);

 private:
  void SetAttributes(const TPenAttributes& value);
  template <class Change>
  void Modify(Change change);
  TGdiObjectCache<TPenAttributes>::Entry* resource_;
  TPenMode mode_ = pmCopy;
};

RD_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross)

struct TBrushAttributes {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  HBITMAP Bitmap = nullptr;  // pattern bitmap; the brush does not own it
  HGDIOBJ Adopted = nullptr;
  friend auto operator<=>(const TBrushAttributes&, const TBrushAttributes&) = default;
};

class TBrush : public TGraphicsObject {
  RD_CLASS(TBrush, TGraphicsObject)
  // A white solid brush.
  TBrush();
  ~TBrush() override;

  void Assign(const TPersistent* source) override;

  HBRUSH Handle() const;
  // Takes ownership of `handle` and takes colour and style from it.
  void SetHandle(HBRUSH handle);

  TColor Color() const;
  // A clear brush given a colour becomes solid.
  void SetColor(TColor value);
  TBrushStyle Style() const;
  void SetStyle(TBrushStyle value);
  // A pattern brush made from the bitmap's current pixels (the brush keeps
  // its own copy of the pattern); nullptr goes back to the colour and style.
  // The bitmap is borrowed and must outlive this brush while set.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

 private:
  void SetAttributes(const TBrushAttributes& value);
  template <class Change>
  void Modify(Change change);
  TGdiObjectCache<TBrushAttributes>::Entry* resource_;
  TBitmap* bitmap_ = nullptr;
};
