// TPngImage on Windows: usage counts and the framework's release path, the
// scratch pool, DCs and their registries, copies with framework bitmaps and
// icons, pixels per type, and a picture streamed in a form and drawn.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "../../../vcl/dib_surface.h"
#include "engine/engine_startup.h"
#include "engine/image/picture/image_dc_registry_win.h"
#include "engine/image/picture/scratch_images_win.h"
#include "engine/image/png/png_errors.h"
#include "rtl/reader.h"
#include "rtl/writer.h"
#include "vcl/file_formats.h"
#include "vcl/handle_owners.h"
#include "vcl/icon.h"
#include "vcl/picture.h"

class TPngHolder : public TComponent {
  RD_CLASS(TPngHolder, TComponent)
  explicit TPngHolder(TComponent* owner) : TComponent(owner) {}
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }

 private:
  std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
};
RD_DEFINE_CLASS(TPngHolder, Prop(u"Picture", &TPngHolder::Picture, &TPngHolder::SetPicture))

// Stands for an RDG picture: a user of another graphic.
class TDerivedPng : public TPngImage {
  RD_CLASS(TDerivedPng, TPngImage)
  TDerivedPng() = default;
  TRdGraphic* shown = nullptr;
  int changes = 0;
  void NotifyChange(TChangeMode mode, TObject* sender) override {
    ++changes;
    last_mode = mode;
    last_sender = sender;
    TPngImage::NotifyChange(mode, sender);
  }
  TChangeMode last_mode = TChangeMode::Keep;
  TObject* last_sender = nullptr;

 protected:
  void ForgetGraphic(TRdGraphic* graphic) override {
    if (graphic == shown) shown = nullptr;
  }
};
RD_DEFINE_CLASS(TDerivedPng)

class TChangeCounter : public TObject {
 public:
  int fired = 0;
  void Fired(TObject*) { ++fired; }
};

namespace {

TPngImagePtr NewImage(uint8_t type, uint8_t depth, bool want32, int32_t w, int32_t h, bool with_dc = false) {
  TPngImagePtr image(CreateObject<TPngImage>());
  image->CreateBlank(type, depth, want32, with_dc, h, w);
  return image;
}

uint32_t PixelBits(TBitmap& bitmap, int32_t x, int32_t y) {
  return static_cast<const uint32_t*>(bitmap.ScanLine(y))[x];
}

TEST(PngImageLife, FreeingAnImageAnotherHolderKeepsLeavesItUsable) {
  TPicture picture;
  TPngImagePtr made = NewImage(kPngTrueColorAlpha, 8, true, 4, 4);
  TPngImage* image = made.get();
  image->AddRef(false);  // a second holder
  picture.TakeGraphic(TGraphicPtr(made.release()));
  EXPECT_EQ(image->UsageCount(), 2);
  picture.TakeGraphic(nullptr);  // the picture's hold ends
  EXPECT_EQ(image->UsageCount(), 1);
  image->SetPixel(1, 1, TColor(0x80112233));
  EXPECT_EQ(uint32_t(image->GetPixel(1, 1)), 0x80112233u);
  image->Free();  // the last hold: destroyed (ASan and the counts would see otherwise)
}

TEST(PngImageLife, AddRefSavesTheDcStateUntilTheCountFallsBack) {
  TPngImagePtr image = NewImage(kPngTrueColorAlpha, 8, true, 8, 8, true);
  HDC dc = image->Canvas().Handle();
  POINT origin{};
  EXPECT_EQ(image->AddRef(true), 2);
  SetViewportOrgEx(dc, 3, 4, nullptr);
  EXPECT_EQ(image->AddRef(true), 3) << "a second save is not taken";
  image->Free();
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 3) << "count 2: not yet back at the saved level";
  image->Free();
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  EXPECT_EQ(image->UsageCount(), 1);

  TDerivedPng derived;
  for (auto call : {+[](TPngImage& i) { i.AddRef(false); }, +[](TPngImage& i) { i.Release(); }}) {
    try {
      call(derived);
      ADD_FAILURE() << "no error";
    } catch (const EPngError& e) {
      EXPECT_EQ(e.Message(), u"2.671 only support TPngimage! ");
    }
  }
}

TEST(PngImageLife, UsersHearOfChangesAndOfTheGraphicsEnd) {
  TDerivedPng user;
  TChangeCounter counter;
  {
    TPngImage base;
    base.CreateBlank(kPngTrueColor, 8, false, false, 2, 2);
    ASSERT_TRUE(base.AddUser(&user));
    ASSERT_TRUE(base.AddUser(&user));
    EXPECT_EQ(base.UserCount(), 1);
    user.shown = &base;
    base.OnChange = MakeEvent<&TChangeCounter::Fired>(&counter);
    base.SetModified(true);  // Changed
    EXPECT_EQ(user.changes, 1);
    EXPECT_EQ(user.last_mode, TChangeMode::Keep);
    EXPECT_EQ(user.last_sender, &base);
    EXPECT_EQ(counter.fired, 1);
    bool modified_before = base.Modified();
    base.NotifyChange(TChangeMode::ClearModified, &user);
    EXPECT_TRUE(modified_before);
    EXPECT_FALSE(base.Modified());
    EXPECT_EQ(user.last_sender, &user) << "the sender given is passed on";
    base.RemoveUser(&user);
    base.SetModified(true);
    EXPECT_EQ(user.changes, 2) << "a removed user hears nothing";
    base.AddUser(&user);
  }
  EXPECT_EQ(user.last_mode, TChangeMode::SourceGone);
  EXPECT_EQ(user.shown, nullptr);
}

TEST(EngineStartup, RunsOnceAndRegistersThePngFormat) {
  EXPECT_FALSE(StartEngine()) << "the test environment started it";
  EXPECT_EQ(GraphicFileFormats().FindExt(u".png"), &TPngImage::StaticClass());
  EXPECT_EQ(GraphicFileFormats().FindClassName(u"TPngImage"), &TPngImage::StaticClass());
}

TEST(ScratchPool, GrowsReusesAndEvictsTheSmallestIdleImage) {
  TPngImage* first;
  {
    TPngImagePtr scratch = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, 50, 50);
    first = scratch.get();
    EXPECT_GE(scratch->Width(), 150);
    EXPECT_GE(scratch->Height(), 150);
    EXPECT_EQ(scratch->UsageCount(), 2);
    scratch->SetAlphaBlendValue(9);
    // While it is taken, a second request gets another image.
    TPngImagePtr other = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, 50, 50);
    EXPECT_NE(other.get(), first);
  }
  TPngImagePtr again = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, 40, 60);
  EXPECT_EQ(again.get(), first);
  EXPECT_EQ(again->AlphaBlendValue(), 255) << "settings reset when taken";
  again.reset();

  // Another thread never uses the pool: exactly the size asked for.
  std::thread([] {
    TPngImagePtr fresh = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, true, 50, 50);
    EXPECT_EQ(fresh->Width(), 50);
    EXPECT_EQ(fresh->UsageCount(), 1);
  }).join();

  // Fill every slot with idle images of growing size (none fits the next
  // request); then a request that none fits evicts the smallest idle one.
  for (int32_t side : {160, 300, 500, 700, 1000, 1400}) {
    TPngImagePtr taken = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, false, side, side);
  }
  TPngImage* before[kScratchPoolSlots];
  int64_t smallest = INT64_MAX;
  for (int i = 0; i < kScratchPoolSlots; ++i) {
    before[i] = ScratchPoolSlot(i);
    ASSERT_NE(before[i], nullptr) << "slot " << i;
    smallest = std::min<int64_t>(smallest, int64_t(before[i]->Width()) * before[i]->Height());
  }
  TPngImagePtr huge = AcquireScratchImage(kPngTrueColorAlpha, 8, true, true, false, 3000, 3000);
  int changed = -1;
  for (int i = 0; i < kScratchPoolSlots; ++i) {
    if (ScratchPoolSlot(i) == before[i]) continue;
    EXPECT_EQ(changed, -1) << "one slot changes";
    changed = i;
  }
  ASSERT_GE(changed, 0);
  EXPECT_EQ(ScratchPoolSlot(changed), huge.get());
  EXPECT_EQ(changed, 0) << "the first of the two smallest (150 x 150) images";
  EXPECT_EQ(smallest, 150 * 150);
  EXPECT_EQ(huge->Width(), 3000 + 1000);
}

TEST(PngImageDevice, CanvasDcsAndSectionsAreAllGivenBack) {
  const TFrameworkHandleCounts before = FrameworkHandleCounts();
  const int32_t registered = RegisteredImageDcCount();
  for (int i = 0; i < 1000; ++i) {
    TPngImagePtr image = NewImage(i % 2 ? kPngTrueColorAlpha : kPngTrueColor, 8, false, 16, 12);
    TCanvas& canvas = image->Canvas();
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(TRect(0, 0, 4, 4));
    EXPECT_EQ(ImageOfDc(canvas.Handle()), i % 2 ? image.get() : nullptr) << "only 32-bit DCs are registered";
    if (i == 0) {
      TFrameworkHandleCounts during = FrameworkHandleCounts();
      EXPECT_EQ(during.DeviceContexts, before.DeviceContexts + 1);
      EXPECT_EQ(during.GdiObjects, before.GdiObjects + 1);
      EXPECT_EQ(uint32_t(image->GetPixel(1, 1)) & 0xFFFFFF, 0x0000FFu) << "the canvas drew into the pixels";
    }
  }
  EXPECT_EQ(FrameworkHandleCounts(), before);
  EXPECT_EQ(RegisteredImageDcCount(), registered);
}

TEST(PngImageDevice, TheCanvasFontKeepsItsAntialiasSwitchThroughChanges) {
  TPngImagePtr image = NewImage(kPngTrueColorAlpha, 8, true, 4, 4);
  TCanvasFont& font = image->Canvas().CanvasFont();
  EXPECT_EQ(font.Quality(), fqDefault);
  font.SetAntialias(true);
  EXPECT_EQ(font.Quality(), fqAntialiased);
  LOGFONTW log{};
  GetObjectW(font.Handle(), sizeof log, &log);
  EXPECT_EQ(log.lfQuality, ANTIALIASED_QUALITY);
  TFont other;
  other.SetSize(20);
  image->Canvas().SetFontEx(other);
  EXPECT_EQ(font.Size(), 20);
  EXPECT_EQ(font.Quality(), fqAntialiased) << "applied again after the change";
  font.SetAntialias(false);
  GetObjectW(font.Handle(), sizeof log, &log);
  EXPECT_EQ(log.lfQuality, DEFAULT_QUALITY);
}

TEST(PngImageDevice, PixelsMoveBackToMemoryWhenTheDcGoes) {
  TPngImagePtr image = NewImage(kPngTrueColorAlpha, 8, false, 5, 5);
  HDC dc = image->DeviceContext();
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(image->Picture().Is32Bit()) << "24 bits with alpha become 32 for the DC";
  ::SetPixel(dc, 2, 3, RGB(1, 2, 3));
  image->ReleaseDeviceContext();
  EXPECT_FALSE(image->HasDeviceContext());
  EXPECT_EQ(uint32_t(image->GetPixel(2, 3)) & 0xFFFFFF, 0x030201u);
}

TEST(PngImageCopies, StraightAndPremultipliedAlphaGoIntoABitmapMarkedForWhatItHolds) {
  for (bool premultiplied : {false, true}) {
    SCOPED_TRACE(premultiplied);
    TPngImagePtr image = NewImage(kPngTrueColorAlpha, 8, false, 3, 2);
    image->SetPixel(1, 1, TColor(0x00804020));
    image->GetAlphaLine(1)[1] = 128;
    if (premultiplied) {
      image->ConvertTo32Bit();
      image->Picture().PixelLine(1)[4 + 0] = 0x10;  // a premultiplied colour, blue 0x10 at alpha 128
      image->SetAlphaMode(TPngAlphaMode::Premultiplied);
    }
    TBitmap bitmap;
    bitmap.Assign(image.get());
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.AlphaFormat(), premultiplied ? afPremultiplied : afDefined);
    EXPECT_EQ(PixelBits(bitmap, 1, 1), premultiplied ? 0x80204010u : 0x80204080u);
    EXPECT_EQ(PixelBits(bitmap, 0, 0), 0u);

    TPngImagePtr back(CreateObject<TPngImage>());
    back->Assign(&bitmap);
    EXPECT_EQ(back->Picture().Header()->ColorType, kPngTrueColorAlpha);
    EXPECT_EQ(back->AlphaMode(), premultiplied ? TPngAlphaMode::Premultiplied : TPngAlphaMode::Straight);
    EXPECT_EQ(uint32_t(back->GetPixel(1, 1)), premultiplied ? 0x80104020u : 0x80804020u);
  }
}

TEST(PngImageCopies, BitmapsOfEveryKindBecomeImagesAndBack) {
  // 24 bits.
  TBitmap rgb(4, 3, pf24bit);
  rgb.Canvas().SetPixels(2, 1, TColor(0x00336699));
  TPngImagePtr image(CreateObject<TPngImage>());
  image->Assign(&rgb);
  EXPECT_EQ(image->Picture().Header()->ColorType, kPngTrueColor);
  EXPECT_EQ(uint32_t(image->GetPixel(2, 1)), 0x336699u);
  EXPECT_EQ(image->TransparencyMode(), 0);
  TBitmap out;
  out.Assign(image.get());
  EXPECT_EQ(out.PixelFormat(), pf24bit);
  EXPECT_EQ(out.Canvas().Pixels(2, 1), TColor(0x336699));

  // A plain 32-bit surface drawn by the device carries no alpha: opaque.
  TBitmap plain(2, 2, pf32bit);
  plain.Canvas().SetPixels(0, 0, clRed);
  image->Assign(&plain);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 0)), 0xFF0000FFu);

  // A palette.
  TBitmap indexed(4, 2, pf8bit);
  indexed.Canvas().SetPixels(1, 0, clWhite);
  image->Assign(&indexed);
  EXPECT_EQ(image->Picture().Header()->ColorType, kPngIndexed);
  EXPECT_EQ(uint32_t(image->GetPixel(1, 0)), 0xFFFFFFu);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 0)), 0u);
  out.Assign(image.get());
  EXPECT_EQ(out.PixelFormat(), pf8bit);
  EXPECT_EQ(out.Canvas().Pixels(1, 0), clWhite);

  // A transparent colour.
  rgb.SetTransparentColor(TColor(0x00336699));
  rgb.SetTransparent(true);
  image->Assign(&rgb);
  EXPECT_EQ(image->TransparencyMode(), 1);
  TBitmap keyed;
  keyed.Assign(image.get());
  EXPECT_TRUE(keyed.Transparent());
  EXPECT_EQ(keyed.TransparentColor(), TColor(0x336699));
}

TEST(PngImageCopies, IconsWithAlphaAndWithOnlyAMask) {
  // With alpha: a 32-bit colour bitmap.
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = 4;
  header.bV5Height = -4;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 16; ++i) pixels[i] = 0;
  pixels[5] = 0xFF00FF00;   // opaque green at (1, 1)
  pixels[10] = 0x80000080;  // half-transparent blue, premultiplied, at (2, 2)
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, color};
  TIcon icon;
  icon.SetHandle(CreateIconIndirect(&info));
  TPngImagePtr image(CreateObject<TPngImage>());
  image->Assign(&icon);
  EXPECT_EQ(image->Width(), 4);
  EXPECT_EQ(uint32_t(image->GetPixel(1, 1)), 0xFF00FF00u);
  EXPECT_EQ(uint32_t(image->GetPixel(2, 2)) >> 24, 0x80u);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 0)) >> 24, 0u);
  EXPECT_EQ(image->AlphaMode(), TPngAlphaMode::Premultiplied);

  // Without alpha: the mask decides.
  for (int i = 0; i < 16; ++i) pixels[i] = 0x00FF0000;  // red, no alpha
  const uint16_t mask_rows[4] = {0xFF, 0x7F, 0xFF, 0xFF};  // word-aligned rows; (0, 1) shows
  HBITMAP mask2 = CreateBitmap(4, 4, 1, 1, mask_rows);
  ICONINFO info2{TRUE, 0, 0, mask2, color};
  TIcon masked;
  masked.SetHandle(CreateIconIndirect(&info2));
  image->Assign(&masked);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 1)), 0xFF0000FFu);
  EXPECT_EQ(uint32_t(image->GetPixel(1, 1)), 0u);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 0)), 0u);
  DeleteObject(mask);
  DeleteObject(mask2);
  DeleteObject(color);
}

TEST(PngImagePixels, ReadAndWrittenThroughTheFrameworkColoursPerType) {
  struct TCase {
    uint8_t Type, Depth;
    bool Want32;
    TColor Written;
    uint32_t Read;
  };
  const TCase cases[] = {
      {kPngTrueColor, 8, false, clRed, 0x0000FF},
      {kPngTrueColorAlpha, 8, true, clBlue, 0xFFFF0000},
      {kPngGrey, 8, false, clWhite, 0xFFFFFF},
      {kPngGreyAlpha, 8, false, TColor(0x000055), 0x555555},
      {kPngDeviceBitmap, 8, false, TColor(0x00336699), 0x336699},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Type));
    TPngImagePtr image = NewImage(c.Type, c.Depth, c.Want32, 6, 4);
    image->SetPixel(5, 3, c.Written);
    EXPECT_EQ(uint32_t(image->GetPixel(5, 3)), c.Read);
    EXPECT_EQ(uint32_t(image->GetPixel(6, 3)), 0u);
    image->SetPixel(-1, 0, c.Written);
  }
  // A system colour resolves to what the system uses.
  TPngImagePtr image = NewImage(kPngTrueColor, 8, false, 2, 2);
  image->SetPixel(0, 0, clBtnFace);
  EXPECT_EQ(uint32_t(image->GetPixel(0, 0)), uint32_t(GetSysColor(COLOR_BTNFACE)));
}

TEST(PngImagePixels, ConvertTo32BitDrawsOtherTypesPremultiplied) {
  TPngImagePtr grey = NewImage(kPngGrey, 8, false, 3, 2);
  grey->SetPixel(2, 1, TColor(0x808080));
  ASSERT_TRUE(grey->ConvertTo32Bit());
  EXPECT_TRUE(grey->Picture().Is32Bit());
  EXPECT_EQ(uint32_t(grey->GetPixel(2, 1)), 0xFF808080u);
  EXPECT_EQ(grey->Width(), 3);

  TPngImagePtr indexed = NewImage(kPngIndexed, 8, false, 2, 1);
  TChunkPLTE& plte = *indexed->Picture().Chunks().Find<TChunkPLTE>();
  plte.Entries[1] = {0, 0, 255, 0};  // red
  indexed->Picture().Header()->SetPaletteColors(indexed->Picture().Chunks(), indexed->Picture().GammaTable);
  indexed->GetPixelLine(0)[1] = 1;
  indexed->SetAllAlpha(128);
  ASSERT_TRUE(indexed->ConvertTo32Bit());
  EXPECT_EQ(indexed->AlphaMode(), TPngAlphaMode::Premultiplied);
  EXPECT_EQ(uint32_t(indexed->GetPixel(1, 0)), 0x80000080u) << "red at alpha 128, premultiplied";

  TPngImage none;
  EXPECT_FALSE(none.ConvertTo32Bit());
}

TEST(PngImageCopies, ClipboardFormatAndPaletteRoundTrips) {
  TPngImagePtr image = NewImage(kPngTrueColor, 8, false, 3, 2);
  image->SetPixel(2, 1, TColor(0x00123456));
  uint16_t format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  image->SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  TPngImagePtr back(CreateObject<TPngImage>());
  back->LoadFromClipboardFormat(format, data, palette);
  DeleteObject(data);
  EXPECT_EQ(back->Width(), 3);
  EXPECT_EQ(uint32_t(back->GetPixel(2, 1)) & 0xFFFFFF, 0x123456u);
  // The clipboard's copy is a 32-bit device bitmap here; its pixels show.
  if (back->Picture().Is32Bit()) {
    EXPECT_EQ(uint32_t(back->GetPixel(2, 1)) >> 24, 255u);
  }

  // The palette of a palette type, made from its colours; a new one replaces it.
  TPngImagePtr grey = NewImage(kPngGrey, 4, false, 2, 2);
  PALETTEENTRY entries[16];
  ASSERT_EQ(GetPaletteEntries(grey->Palette(), 0, 16, entries), 16u);
  EXPECT_EQ(entries[15].peRed, 255);
  EXPECT_EQ(entries[1].peGreen, 17);
  EXPECT_EQ(image->Palette(), nullptr) << "truecolour has none";
  LOGPALETTE one{0x300, 1, {{1, 2, 3, 0}}};
  HPALETTE replacement = CreatePalette(&one);
  grey->DeviceContext();
  grey->SetPalette(replacement);
  EXPECT_EQ(grey->Palette(), replacement);
  EXPECT_EQ(GetCurrentObject(grey->DeviceContext(), OBJ_PAL), replacement) << "selected into the DC";
}

TEST(PngImagePicture, StreamsThroughAFormPropertyAndDrawsWithTheCanvas) {
  TPngHolder holder(nullptr);
  holder.SetName(u"Holder");
  TPngImagePtr image = NewImage(kPngTrueColorAlpha, 8, false, 4, 2);
  image->SetPixel(1, 0, TColor(0x0000FF));
  image->GetAlphaLine(0)[1] = 255;
  image->SetPixel(2, 0, TColor(0xFF0000));
  image->GetAlphaLine(0)[2] = 128;
  image->SetAlphaBlendValue(200);
  holder.Picture()->TakeGraphic(TGraphicPtr(image.release()));
  TMemoryStream stream;
  {
    TWriter writer(stream);
    writer.WriteRootComponent(holder);
  }
  stream.SetPosition(0);
  TPngHolder read(nullptr);
  {
    TReader reader(stream);
    reader.ReadRootComponent(read);
  }
  auto* loaded = ObjectAs<TPngImage>(read.Picture()->Graphic());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->AlphaBlendValue(), 200);
  EXPECT_TRUE(loaded->Equals(holder.Picture()->Graphic()));

  DibSurface surface(6, 3, 0xFFFFFFFF);
  TCanvas canvas;
  canvas.SetHandle(surface.dc());
  loaded->SetAlphaBlendValue(255);
  canvas.Draw(1, 1, loaded);
  EXPECT_EQ(surface.Pixel(2, 1), 0xFFFF0000u) << "opaque red";
  EXPECT_EQ(surface.Pixel(3, 1), 0xFF7F7FFFu) << "blue at alpha 128 over white";
  EXPECT_EQ(surface.Pixel(1, 1), 0xFFFFFFFFu) << "alpha 0 leaves the background";
  canvas.Draw(1, 0, loaded, 128);
  EXPECT_EQ(surface.Pixel(2, 0), 0xFFFF7F7Fu) << "opacity 128";
  canvas.SetHandle(nullptr);
}

}  // namespace
