#include "vcl/graphics_objects.h"

#include <algorithm>

#include "rtl/wide_string.h"
#include "vcl/bitmap.h"

namespace {

TGdiObjectCache<TFontAttributes>& FontCache() {
  static TGdiObjectCache<TFontAttributes> cache;
  return cache;
}
TGdiObjectCache<TPenAttributes>& PenCache() {
  static TGdiObjectCache<TPenAttributes> cache;
  return cache;
}
TGdiObjectCache<TBrushAttributes>& BrushCache() {
  static TGdiObjectCache<TBrushAttributes> cache;
  return cache;
}

// Puts the entry of `attributes` in place of `*resource`, announces the
// change, then lets the old entry go (its handle may still be selected into
// a canvas until the announcement has been handled).
template <class Attributes, class Announce>
void ChangeResource(TGdiObjectCache<Attributes>& cache, typename TGdiObjectCache<Attributes>::Entry*& resource,
                    const Attributes& attributes, HGDIOBJ adopted, Announce announce) {
  if (resource && resource->Attributes() == attributes) return;
  auto* old = resource;
  resource = cache.Acquire(attributes, adopted);
  announce();
  cache.Release(old);
}

TFontAttributes DefaultFontAttributes() {
  TFontAttributes attributes;
  attributes.Name = u"Tahoma";
  attributes.Height = -MulDiv(8, ScreenLogPixels(), 72);
  return attributes;
}

}  // namespace

// ---- TGraphicsObject

RD_DEFINE_CLASS(TGraphicsObject)

void TGraphicsObject::Changed() { OnChange(this); }

int32_t ScreenLogPixels() {
  static const int32_t pixels = [] {
    HDC dc = GetDC(nullptr);
    const int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return pixels;
}

// ---- TFont

RD_DEFINE_CLASS(TFont,
                Prop(u"Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET),
                Prop(u"Color", &TFont::Color, &TFont::SetColor).Type(ColorTypeInfo()).Default(clWindowText),
                Prop(u"Height", &TFont::Height, &TFont::SetHeight),
                Prop(u"Name", &TFont::Name, &TFont::SetName),
                Prop(u"Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0),
                Prop(u"Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault),
                Prop(u"Size", &TFont::Size, &TFont::SetSize).Stored(false),
                Prop(u"Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{}),
                Prop(u"Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault))

TFont::TFont() : resource_(FontCache().Acquire(DefaultFontAttributes())), pixels_per_inch_(ScreenLogPixels()) {}

TFont::~TFont() { FontCache().Release(resource_); }

void TFont::Assign(const TPersistent* source) {
  if (auto* font = ObjectAs<TFont>(source)) {
    if (font == this) return;
    // One announcement for attributes and colour together.
    const TColor old_color = color_;
    color_ = font->color_;
    TFontAttributes attributes = font->Attributes();
    // Another resolution keeps the point size, not the pixel height.
    if (font->pixels_per_inch_ != pixels_per_inch_) {
      attributes.Adopted = nullptr;
      attributes.Height = -MulDiv(font->Size(), pixels_per_inch_, 72);
    }
    if (attributes != Attributes()) {
      SetAttributes(attributes);
    } else if (old_color != color_) {
      Changed();
    }
    return;
  }
  inherited::Assign(source);
}

const TFontAttributes& TFont::Attributes() const { return resource_->Attributes(); }

void TFont::SetAttributes(const TFontAttributes& value) {
  ChangeResource(FontCache(), resource_, value, value.Adopted, [this] { Changed(); });
}

HFONT TFont::Handle() const {
  return static_cast<HFONT>(FontCache().Handle(resource_, [](const TFontAttributes& a) -> HGDIOBJ {
    LOGFONTW font{};
    font.lfHeight = a.Height;
    font.lfEscapement = a.Orientation;
    font.lfOrientation = a.Orientation;
    const TFontStyles style = TFontStyles::FromBits(a.Style);
    font.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style.Contains(fsItalic);
    font.lfUnderline = style.Contains(fsUnderline);
    font.lfStrikeOut = style.Contains(fsStrikeOut);
    font.lfCharSet = a.Charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = static_cast<BYTE>(a.Quality);
    font.lfPitchAndFamily = a.Pitch == fpVariable ? VARIABLE_PITCH : a.Pitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    const size_t length = std::min<size_t>(a.Name.size(), LF_FACESIZE - 1);
    std::copy_n(a.Name.data(), length, reinterpret_cast<char16_t*>(font.lfFaceName));
    return CreateFontIndirectW(&font);
  }));
}

void TFont::SetHandle(HFONT handle) {
  TFontAttributes attributes = DefaultFontAttributes();
  LOGFONTW font{};
  if (handle && GetObjectW(handle, sizeof(font), &font) != 0) {
    attributes.Name = FromWide(font.lfFaceName);
    attributes.Height = font.lfHeight;
    attributes.Orientation = font.lfEscapement;
    TFontStyles style;
    if (font.lfWeight >= FW_BOLD) style.Include(fsBold);
    if (font.lfItalic) style.Include(fsItalic);
    if (font.lfUnderline) style.Include(fsUnderline);
    if (font.lfStrikeOut) style.Include(fsStrikeOut);
    attributes.Style = style.Bits();
    attributes.Charset = font.lfCharSet;
    const int pitch = font.lfPitchAndFamily & 3;
    attributes.Pitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    attributes.Quality = font.lfQuality <= fqClearTypeNatural ? static_cast<TFontQuality>(font.lfQuality) : fqDefault;
    attributes.Adopted = handle;
  }
  SetAttributes(attributes);
}

const String& TFont::Name() const { return Attributes().Name; }
int32_t TFont::Height() const { return Attributes().Height; }
int32_t TFont::Size() const { return -MulDiv(Attributes().Height, 72, pixels_per_inch_); }
TFontStyles TFont::Style() const { return TFontStyles::FromBits(Attributes().Style); }
TFontCharset TFont::Charset() const { return Attributes().Charset; }
TFontPitch TFont::Pitch() const { return Attributes().Pitch; }
TFontQuality TFont::Quality() const { return Attributes().Quality; }
int32_t TFont::Orientation() const { return Attributes().Orientation; }

// Each setter starts from the current attributes without an adopted handle:
// a changed font is a new logical font.
template <class Change>
void TFont::Modify(Change change) {
  TFontAttributes a = Attributes();
  a.Adopted = nullptr;
  change(a);
  SetAttributes(a);
}

void TFont::SetName(const String& value) {
  if (!value.empty()) Modify([&](TFontAttributes& a) { a.Name = value; });
}
void TFont::SetHeight(int32_t value) { Modify([&](TFontAttributes& a) { a.Height = value; }); }
void TFont::SetSize(int32_t value) { SetHeight(-MulDiv(value, pixels_per_inch_, 72)); }
void TFont::SetStyle(TFontStyles value) { Modify([&](TFontAttributes& a) { a.Style = value.Bits(); }); }
void TFont::SetCharset(TFontCharset value) { Modify([&](TFontAttributes& a) { a.Charset = value; }); }
void TFont::SetPitch(TFontPitch value) { Modify([&](TFontAttributes& a) { a.Pitch = value; }); }
void TFont::SetQuality(TFontQuality value) { Modify([&](TFontAttributes& a) { a.Quality = value; }); }
void TFont::SetOrientation(int32_t value) { Modify([&](TFontAttributes& a) { a.Orientation = value; }); }

void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

// ---- TPen

RD_DEFINE_CLASS(TPen,
                Prop(u"Color", &TPen::Color, &TPen::SetColor).Type(ColorTypeInfo()).Default(clBlack),
                Prop(u"Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy),
                Prop(u"Style", &TPen::Style, &TPen::SetStyle).Default(psSolid),
                Prop(u"Width", &TPen::Width, &TPen::SetWidth).Default(1))

int PenModeToRop2(TPenMode mode) {
  static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,        R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,   R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,     R2_NOTXORPEN};
  return kRop2[mode];
}

TPen::TPen() : resource_(PenCache().Acquire(TPenAttributes{})) {}

TPen::~TPen() { PenCache().Release(resource_); }

void TPen::Assign(const TPersistent* source) {
  if (auto* pen = ObjectAs<TPen>(source)) {
    if (pen == this) return;
    const bool mode_changed = mode_ != pen->mode_;
    mode_ = pen->mode_;
    if (pen->resource_->Attributes() != resource_->Attributes()) {
      SetAttributes(pen->resource_->Attributes());
    } else if (mode_changed) {
      Changed();
    }
    return;
  }
  inherited::Assign(source);
}

void TPen::SetAttributes(const TPenAttributes& value) {
  ChangeResource(PenCache(), resource_, value, value.Adopted, [this] { Changed(); });
}

HPEN TPen::Handle() const {
  return static_cast<HPEN>(PenCache().Handle(resource_, [](const TPenAttributes& a) -> HGDIOBJ {
    LOGPEN pen{};
    pen.lopnStyle = static_cast<UINT>(a.Style);
    pen.lopnWidth.x = a.Width;
    pen.lopnColor = static_cast<COLORREF>(ColorToRGB(a.Color));
    return CreatePenIndirect(&pen);
  }));
}

void TPen::SetHandle(HPEN handle) {
  TPenAttributes attributes;
  LOGPEN pen{};
  if (handle && GetObjectW(handle, sizeof(pen), &pen) != 0) {
    attributes.Color = static_cast<TColor>(pen.lopnColor);
    attributes.Width = std::max<int32_t>(1, pen.lopnWidth.x);
    attributes.Style = pen.lopnStyle <= PS_INSIDEFRAME ? static_cast<TPenStyle>(pen.lopnStyle) : psSolid;
    attributes.Adopted = handle;
  }
  SetAttributes(attributes);
}

TColor TPen::Color() const { return resource_->Attributes().Color; }
int32_t TPen::Width() const { return resource_->Attributes().Width; }
TPenStyle TPen::Style() const { return resource_->Attributes().Style; }

template <class Change>
void TPen::Modify(Change change) {
  TPenAttributes a = resource_->Attributes();
  a.Adopted = nullptr;
  change(a);
  SetAttributes(a);
}

void TPen::SetColor(TColor value) { Modify([&](TPenAttributes& a) { a.Color = value; }); }
void TPen::SetWidth(int32_t value) { Modify([&](TPenAttributes& a) { a.Width = std::max<int32_t>(1, value); }); }
void TPen::SetStyle(TPenStyle value) { Modify([&](TPenAttributes& a) { a.Style = value; }); }

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed();
}

// ---- TBrush

RD_DEFINE_CLASS(TBrush,
                Prop(u"Color", &TBrush::Color, &TBrush::SetColor).Type(ColorTypeInfo()).Default(clWhite),
                Prop(u"Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid))

TBrush::TBrush() : resource_(BrushCache().Acquire(TBrushAttributes{})) {}

TBrush::~TBrush() { BrushCache().Release(resource_); }

void TBrush::Assign(const TPersistent* source) {
  if (auto* brush = ObjectAs<TBrush>(source)) {
    if (brush == this) return;
    bitmap_ = brush->bitmap_;
    SetAttributes(brush->resource_->Attributes());
    return;
  }
  inherited::Assign(source);
}

void TBrush::SetAttributes(const TBrushAttributes& value) {
  ChangeResource(BrushCache(), resource_, value, value.Adopted, [this] { Changed(); });
}

HBRUSH TBrush::Handle() const {
  return static_cast<HBRUSH>(BrushCache().Handle(resource_, [](const TBrushAttributes& a) -> HGDIOBJ {
    if (a.Bitmap) return CreatePatternBrush(a.Bitmap);
    LOGBRUSH brush{};
    brush.lbColor = static_cast<COLORREF>(ColorToRGB(a.Color));
    switch (a.Style) {
      case bsSolid:
        brush.lbStyle = BS_SOLID;
        break;
      case bsClear:
        brush.lbStyle = BS_HOLLOW;
        break;
      default:  // the hatches, in the order of HS_HORIZONTAL ... HS_DIAGCROSS
        brush.lbStyle = BS_HATCHED;
        brush.lbHatch = static_cast<ULONG_PTR>(a.Style - bsHorizontal);
        break;
    }
    return CreateBrushIndirect(&brush);
  }));
}

void TBrush::SetHandle(HBRUSH handle) {
  TBrushAttributes attributes;
  LOGBRUSH brush{};
  if (handle && GetObjectW(handle, sizeof(brush), &brush) != 0) {
    attributes.Color = static_cast<TColor>(brush.lbColor);
    if (brush.lbStyle == BS_HOLLOW) {
      attributes.Style = bsClear;
    } else if (brush.lbStyle == BS_HATCHED && brush.lbHatch <= HS_DIAGCROSS) {
      attributes.Style = static_cast<TBrushStyle>(bsHorizontal + brush.lbHatch);
    }
    attributes.Adopted = handle;
  }
  bitmap_ = nullptr;
  SetAttributes(attributes);
}

TColor TBrush::Color() const { return resource_->Attributes().Color; }
TBrushStyle TBrush::Style() const { return resource_->Attributes().Style; }

// A colour or style given ends a pattern.
template <class Change>
void TBrush::Modify(Change change) {
  TBrushAttributes a = resource_->Attributes();
  a.Adopted = nullptr;
  a.Bitmap = nullptr;
  bitmap_ = nullptr;
  change(a);
  SetAttributes(a);
}

void TBrush::SetColor(TColor value) {
  Modify([&](TBrushAttributes& a) {
    a.Color = value;
    if (a.Style == bsClear) a.Style = bsSolid;
  });
}

void TBrush::SetStyle(TBrushStyle value) { Modify([&](TBrushAttributes& a) { a.Style = value; }); }

void TBrush::SetBitmap(TBitmap* value) {
  HBITMAP handle = value ? value->Handle() : nullptr;
  Modify([&](TBrushAttributes& a) { a.Bitmap = handle; });
  bitmap_ = value;
}
