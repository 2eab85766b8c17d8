#include "vcl/picture.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include <cstring>

#include "rtl/reader.h"
#include "rtl/wide_string.h"
#include "rtl/writer.h"
#include "vcl/bitmap.h"
#include "vcl/file_formats.h"
#include "vcl/icon.h"
#include "vcl/replaceable.h"

// A component with a picture property, as an image control has.
class TPictureHolder : public TComponent {
  RD_CLASS(TPictureHolder, TComponent)
  explicit TPictureHolder(TComponent* owner) : TComponent(owner) {}
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }

 private:
  std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
};

RD_DEFINE_CLASS(TPictureHolder, Prop(u"Picture", &TPictureHolder::Picture, &TPictureHolder::SetPicture))

namespace {

// A graphic class the picture formats do not know.
class TUnregisteredGraphic : public TBitmap {
  RD_CLASS(TUnregisteredGraphic, TBitmap)
  TUnregisteredGraphic() = default;
};
RD_DEFINE_CLASS(TUnregisteredGraphic)

// A graphic that counts the releases it is asked for and stays alive for
// the first one (as a graphic with another holder does).
class TCountedGraphic : public TBitmap {
  RD_CLASS(TCountedGraphic, TBitmap)
  TCountedGraphic() = default;
  void Free() override {
    if (++frees > 1) TBitmap::Free();
  }
  int frees = 0;
};
RD_DEFINE_CLASS(TCountedGraphic)

String TempFile(const char16_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return FromWide(folder) + name;
}

void WriteHolder(TPictureHolder& holder, TMemoryStream& stream) {
  TWriter writer(stream);
  writer.WriteRootComponent(holder);
  stream.SetPosition(0);
}

TEST(Picture, ReleasesItsGraphicThroughTheGraphicsFree) {
  auto* graphic = new TCountedGraphic();
  {
    TPicture picture;
    picture.TakeGraphic(TGraphicPtr(graphic));
    picture.TakeGraphic(std::make_unique<TBitmap>());  // a plain unique_ptr moves in too
    EXPECT_EQ(graphic->frees, 1) << "released, not deleted";
    EXPECT_TRUE(picture.Graphic()->Is<TBitmap>());
    picture.TakeGraphic(TGraphicPtr(graphic));
  }
  // The picture's end released it a second time, which destroyed it (ASan
  // would report a leak otherwise).
}

TEST(Picture, StreamsABitmapThroughTheDataProperty) {
  TPictureHolder holder(nullptr);
  holder.SetName(u"Holder");
  TBitmap& bitmap = holder.Picture()->Bitmap();
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.Canvas().SetPixels(2, 1, clRed);
  TMemoryStream stream;
  WriteHolder(holder, stream);

  // The property holds the class name as a length byte and text, then the
  // bitmap's own data (its BMP with a size in front).
  const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
  const std::string image(reinterpret_cast<const char*>(bytes), static_cast<size_t>(stream.Size()));
  const size_t data = image.find("\x0CPicture.Data");
  ASSERT_NE(data, std::string::npos);
  const size_t value = data + 13;
  EXPECT_EQ(bytes[value], vaBinary);
  EXPECT_EQ(image.substr(value + 5, 8), std::string("\x07TBitmap"));
  EXPECT_EQ(image.substr(value + 5 + 8 + 4, 2), "BM");

  TPictureHolder read(nullptr);
  TReader reader(stream);
  reader.ReadRootComponent(read);
  auto* loaded = ObjectAs<TBitmap>(read.Picture()->Graphic());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Width(), 3);
  EXPECT_EQ(loaded->Canvas().Pixels(2, 1), clRed);
  EXPECT_EQ(loaded->Canvas().Pixels(0, 0), clBlack);
}

TEST(Picture, AnEmptyPictureWritesNoData) {
  TPictureHolder holder(nullptr);
  TMemoryStream stream;
  WriteHolder(holder, stream);
  const std::string image(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  EXPECT_EQ(image.find("Picture.Data"), std::string::npos);
}

TEST(Picture, AgainstAnAncestorOnlyADifferentGraphicIsWritten) {
  auto make = [](TColor color) {
    auto holder = std::make_unique<TPictureHolder>(nullptr);
    holder->SetName(u"Holder");
    holder->Picture()->Bitmap().SetSize(2, 2);
    holder->Picture()->Bitmap().Canvas().SetPixels(0, 0, color);
    return holder;
  };
  auto ancestor = make(clRed);
  auto written = [&](TPictureHolder& holder) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteDescendent(holder, ancestor.get());
    const std::string image(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    return image.find("Picture.Data") != std::string::npos;
  };
  auto same = make(clRed);
  auto different = make(clBlue);
  EXPECT_FALSE(written(*same));
  EXPECT_TRUE(written(*different));
}

TEST(Picture, AnUnregisteredClassLeavesThePictureEmpty) {
  TPictureHolder holder(nullptr);
  holder.Picture()->TakeGraphic(std::make_unique<TUnregisteredGraphic>());
  holder.Picture()->Bitmap().SetSize(2, 2);  // still the unregistered class: it is a TBitmap
  ASSERT_EQ(holder.Picture()->Graphic()->ClassName(), u"TUnregisteredGraphic");
  TMemoryStream stream;
  WriteHolder(holder, stream);
  TPictureHolder read(nullptr);
  read.Picture()->Bitmap().SetSize(1, 1);
  TReader reader(stream);
  reader.ReadRootComponent(read);
  EXPECT_EQ(read.Picture()->Graphic(), nullptr);
}

TEST(Picture, DefinePropertiesGoesThroughItsSlot) {
  static int calls = 0;
  calls = 0;
  struct Guard {
    ~Guard() { PictureDefinePropertiesSlot.Restore(); }
  } guard;
  ASSERT_TRUE(PictureDefinePropertiesSlot.Replace([](TPicture& picture, TFiler& filer) {
    ++calls;
    PictureDefinePropertiesSlot.Original()(picture, filer);
  }));
  TPictureHolder holder(nullptr);
  holder.Picture()->Bitmap().SetSize(1, 1);
  TMemoryStream stream;
  WriteHolder(holder, stream);
  EXPECT_EQ(calls, 1);
  TPictureHolder read(nullptr);
  TReader reader(stream);
  reader.ReadRootComponent(read);
  EXPECT_EQ(calls, 2);
  EXPECT_NE(read.Picture()->Graphic(), nullptr);
}

TEST(Picture, FileFormatsAreFoundByExtensionAndClassName) {
  TFileFormatsList& formats = GraphicFileFormats();
  EXPECT_EQ(formats.FindExt(u"bmp"), &TBitmap::StaticClass());
  EXPECT_EQ(formats.FindExt(u".BMP"), &TBitmap::StaticClass());
  EXPECT_EQ(formats.FindExt(u"ico"), &TIcon::StaticClass());
  EXPECT_EQ(formats.FindExt(u"foo"), nullptr);
  EXPECT_EQ(formats.FindClassName(u"TBitmap"), &TBitmap::StaticClass());
  EXPECT_EQ(formats.FindClassName(u"tbitmap"), nullptr);  // class names compare exactly

  // A later registration wins; unregistering removes it again.
  RegisterFileFormat(u"BMP", u"Special bitmaps", &TUnregisteredGraphic::StaticClass());
  EXPECT_EQ(formats.FindExt(u"bmp"), &TUnregisteredGraphic::StaticClass());
  EXPECT_EQ(formats.FindClassName(u"TUnregisteredGraphic"), &TUnregisteredGraphic::StaticClass());
  UnregisterGraphicClass(&TUnregisteredGraphic::StaticClass());
  EXPECT_EQ(formats.FindExt(u"bmp"), &TBitmap::StaticClass());
  EXPECT_THROW(RegisterFileFormat(u"x", u"not a graphic", &TPicture::StaticClass()), EInvalidGraphic);

  // A layer may rearrange the entries as a whole (and put them back).
  const std::vector<TFileFormat> saved = formats.Entries();
  std::vector<TFileFormat> changed = saved;
  std::erase_if(changed, [](const TFileFormat& f) { return f.Extension == u"ico"; });
  changed.push_back({u"ICO", u"Other icons", &TUnregisteredGraphic::StaticClass()});
  formats.SetEntries(changed);
  EXPECT_EQ(formats.FindExt(u"ico"), &TUnregisteredGraphic::StaticClass());
  formats.SetEntries(saved);
  EXPECT_EQ(formats.FindExt(u"ico"), &TIcon::StaticClass());
}

TEST(Picture, LoadAndSaveFilesByExtension) {
  const String file = TempFile(u"vcl_picture_test.bmp");
  {
    TBitmap bitmap(4, 4, pf24bit);
    bitmap.Canvas().SetPixels(3, 0, clLime);
    TPicture picture;
    picture.Assign(&bitmap);
    picture.SaveToFile(file);
  }
  TPicture picture;
  int changes = 0;
  struct Counter : TObject {
    int* count;
    void Changed(TObject*) { ++*count; }
  } counter;
  counter.count = &changes;
  picture.OnChange = MakeEvent<&Counter::Changed>(&counter);
  picture.LoadFromFile(file);
  EXPECT_EQ(changes, 1);
  ASSERT_NE(ObjectAs<TBitmap>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Bitmap().Canvas().Pixels(3, 0), clLime);
  // A change of the graphic reaches the picture's OnChange.
  picture.Bitmap().Canvas().SetPixels(0, 0, clRed);
  EXPECT_EQ(changes, 2);
  DeleteFileW(WideCStr(file));

  try {
    picture.LoadFromFile(TempFile(u"vcl_picture_test.foo"));
    FAIL() << "no error for an unknown extension";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Unknown picture file extension (.foo)");
  }
  EXPECT_THROW(picture.LoadFromFile(TempFile(u"vcl_missing_file.bmp")), EFOpenError);
  // Failures keep the old graphic.
  EXPECT_EQ(picture.Width(), 4);
}

TEST(Picture, AssignCopiesTheGraphic) {
  TPicture a, b;
  a.Bitmap().SetSize(2, 3);
  b.Assign(&a);
  ASSERT_NE(b.Graphic(), nullptr);
  EXPECT_NE(b.Graphic(), a.Graphic());
  EXPECT_EQ(b.Height(), 3);
  TBitmap target;
  target.Assign(&b);
  EXPECT_EQ(target.Height(), 3);
  b.Assign(nullptr);
  EXPECT_EQ(b.Graphic(), nullptr);
}

}  // namespace
