#include "vcl/graphic.h"

#include <cstring>

#include "rtl/filer.h"
#include "rtl/sysutils.h"
#include "vcl/bitmap.h"
#include "vcl/canvas.h"

RD_DEFINE_CLASS(TGraphic)

void TGraphic::SetSize(int32_t width, int32_t height) {
  SetWidth(width);
  SetHeight(height);
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value) {
    Changed(this);
  } else {
    modified_ = false;
  }
}

void TGraphic::LoadFromFile(const String& file_name) {
  TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const String& file_name) const {
  TFileStream stream(file_name, fmCreate);
  SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(uint16_t, HANDLE, HPALETTE) {
  throw EInvalidGraphic(u"Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(uint16_t&, HANDLE&, HPALETTE&) const {
  throw EInvalidGraphic(u"Unsupported clipboard format");
}

bool TGraphic::Equals(const TGraphic* other) const {
  if (!other || other->ClassType() != ClassType()) return false;
  if (Empty() || other->Empty()) return Empty() && other->Empty();
  TMemoryStream mine, theirs;
  WriteData(mine);
  other->WriteData(theirs);
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), static_cast<size_t>(mine.Size())) == 0;
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  OnChange(this);
}

void TGraphic::Free() { ::Free(this); }

void TGraphic::DrawTransparent(TCanvas& canvas, const TRect& rect, uint8_t opacity) {
  if (opacity == 0 || Empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
  if (opacity == 255) {
    Draw(canvas, rect);
    return;
  }
  HDC dest = canvas.Handle();
  TBitmap layer(rect.Width(), rect.Height(), pf32bit);
  HDC layer_dc = layer.Canvas().Handle();
  BitBlt(layer_dc, 0, 0, rect.Width(), rect.Height(), dest, rect.Left, rect.Top, SRCCOPY);
  Draw(layer.Canvas(), TRect(0, 0, rect.Width(), rect.Height()));
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, 0};
  AlphaBlend(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), layer_dc, 0, 0, rect.Width(), rect.Height(),
             blend);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percent_done, bool redraw_now,
                        const TRect& rect, const String& message) {
  OnProgress(sender, stage, percent_done, redraw_now, rect, message);
}

void TGraphic::DefineProperties(TFiler& filer) {
  bool has_data = !Empty();
  if (auto* ancestor = ObjectAs<TGraphic>(filer.Ancestor())) has_data = !Equals(ancestor);
  filer.DefineBinaryProperty(
      u"Data", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
      has_data);
}

TGraphicPtr CreateGraphic(TClass graphic_class) {
  if (!graphic_class || !graphic_class->InheritsFrom(&TGraphic::StaticClass()) || !graphic_class->CanCreate()) {
    throw EInvalidGraphic(Format(u"%s is not a graphic class", {graphic_class ? graphic_class->ClassName() : String(u"nil")}));
  }
  return TGraphicPtr(static_cast<TGraphic*>(graphic_class->Create().release()));
}
