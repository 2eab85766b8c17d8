#include "vcl/picture.h"

#include "vcl/win_api.h"

#include "rtl/filenames.h"
#include "rtl/filer.h"
#include "rtl/sysutils.h"
#include "rtl/wide_string.h"
#include "vcl/bitmap.h"
#include "vcl/file_formats.h"
#include "vcl/icon.h"
#include "vcl/replaceable.h"

RD_DEFINE_CLASS(TPicture)

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::TakeGraphic(TGraphicPtr graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) {
    graphic_->OnChange = MakeEvent<&TPicture::Changed>(this);
    graphic_->OnProgress = MakeEvent<&TPicture::GraphicProgress>(this);
  }
  Changed(this);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) {
    TakeGraphic(nullptr);
    return;
  }
  TGraphicPtr copy = CreateGraphic(graphic->ClassType());
  copy->Assign(graphic);
  TakeGraphic(std::move(copy));
}

template <class T>
T& TPicture::ForceType() {
  if (!ObjectAs<T>(graphic_.get())) TakeGraphic(std::make_unique<T>());
  return static_cast<T&>(*graphic_);
}

TBitmap& TPicture::Bitmap() { return ForceType<TBitmap>(); }
TIcon& TPicture::Icon() { return ForceType<TIcon>(); }

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* picture = ObjectAs<TPicture>(source)) {
    if (picture != this) SetGraphic(picture->graphic_.get());
  } else if (auto* graphic = ObjectAs<TGraphic>(source)) {
    SetGraphic(graphic);
  } else {
    inherited::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) const {
  if (ObjectAs<TGraphic>(dest)) {
    dest->Assign(graphic_.get());
  } else {
    inherited::AssignTo(dest);
  }
}

void TPicture::LoadFromFile(const String& file_name) { PictureLoadFromFileSlot(*this, file_name); }

void TPicture::SaveToFile(const String& file_name) const {
  if (graphic_) graphic_->SaveToFile(file_name);
}

void TPicture::DefineProperties(TFiler& filer) { PictureDefinePropertiesSlot(*this, filer); }

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percent_done, bool redraw_now,
                               const TRect& rect, const String& message) {
  OnProgress(sender, stage, percent_done, redraw_now, rect, message);
}

namespace {

void ReadPictureData(TPicture& picture, TStream& stream) {
  uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length > 0) stream.ReadBuffer(name.data(), length);
  const String class_name = Utf8ToString(name);
  TGraphicPtr graphic;
  if (TClass graphic_class = GraphicFileFormats().FindClassName(class_name)) {
    graphic = CreateGraphic(graphic_class);
    graphic->ReadData(stream);
  } else if (!class_name.empty()) {
    // The picture stays empty; say why, since the stored picture is lost.
    const String text = u"TPicture: graphic class " + class_name + u" is not registered";
    OutputDebugStringW(WideCStr(text));
  }
  picture.TakeGraphic(std::move(graphic));
}

void WritePictureData(const TPicture& picture, TStream& stream) {
  const TGraphic* graphic = picture.Graphic();
  // Class names are identifiers: ASCII, well below 256 characters.
  const std::string name = graphic ? StringToUtf8(graphic->ClassName()).substr(0, 255) : std::string();
  const uint8_t length = static_cast<uint8_t>(name.size());
  stream.WriteBuffer(&length, 1);
  if (length > 0) stream.WriteBuffer(name.data(), length);
  if (graphic) graphic->WriteData(stream);
}

}  // namespace

void DefaultPictureDefineProperties(TPicture& picture, TFiler& filer) {
  const TGraphic* graphic = picture.Graphic();
  bool has_data = graphic != nullptr;
  if (auto* ancestor = ObjectAs<TPicture>(filer.Ancestor())) {
    const TGraphic* theirs = ancestor->Graphic();
    has_data = !(graphic == theirs || (graphic && theirs && graphic->Equals(theirs)));
  }
  filer.DefineBinaryProperty(
      u"Data", [&picture](TStream& stream) { ReadPictureData(picture, stream); },
      [&picture](TStream& stream) { WritePictureData(picture, stream); }, has_data);
}

void DefaultPictureLoadFromFile(TPicture& picture, const String& file_name) {
  String extension = ExtractFileExt(file_name);
  if (!extension.empty()) extension.erase(0, 1);
  TClass graphic_class = GraphicFileFormats().FindExt(extension);
  if (!graphic_class) throw EInvalidGraphic(Format(u"Unknown picture file extension (.%s)", {extension}));
  TGraphicPtr graphic = CreateGraphic(graphic_class);
  graphic->OnProgress = MakeEvent<&TPicture::GraphicProgress>(&picture);
  graphic->LoadFromFile(file_name);
  picture.TakeGraphic(std::move(graphic));
}
