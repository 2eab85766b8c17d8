#include "vcl/graphics_objects.h"

#include <gtest/gtest.h>
#include "vcl/win_api.h"

#include "rtl/reader.h"
#include "rtl/wide_string.h"
#include "rtl/writer.h"

// A component with a font property, as every control has.
class TFontHolder : public TComponent {
  RD_CLASS(TFontHolder, TComponent)
  explicit TFontHolder(TComponent* owner) : TComponent(owner) {}
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }

 private:
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

RD_DEFINE_CLASS(TFontHolder, Prop(u"Font", &TFontHolder::Font, &TFontHolder::SetFont))

namespace {

// Counts OnChange calls of one graphics object.
class ChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++count; }
  int count = 0;
};

TEST(Font, DefaultsAndSizeHeightConversion) {
  TFont font;
  EXPECT_EQ(font.Name(), u"Tahoma");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Color(), clWindowText);
  font.SetPixelsPerInch(96);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 15);
  font.SetPixelsPerInch(120);
  EXPECT_EQ(font.Height(), -20);  // the resolution only changes how Size reads
  EXPECT_EQ(font.Size(), 12);
}

TEST(Font, HandleIsMadeFromTheAttributes) {
  TFont font;
  font.SetName(u"Tahoma");
  font.SetHeight(-13);
  font.SetStyle({fsBold, fsUnderline});
  font.SetQuality(fqAntialiased);
  LOGFONTW logical{};
  ASSERT_NE(GetObjectW(font.Handle(), sizeof(logical), &logical), 0);
  EXPECT_EQ(FromWide(logical.lfFaceName), u"Tahoma");
  EXPECT_EQ(logical.lfHeight, -13);
  EXPECT_EQ(logical.lfWeight, FW_BOLD);
  EXPECT_TRUE(logical.lfUnderline);
  EXPECT_FALSE(logical.lfItalic);
  EXPECT_EQ(logical.lfQuality, ANTIALIASED_QUALITY);
}

TEST(Font, EqualAttributesShareOneHandle) {
  TFont a, b;
  a.SetHeight(-17);
  b.SetHeight(-17);
  EXPECT_EQ(a.Handle(), b.Handle());
  HFONT shared = a.Handle();
  b.SetHeight(-18);
  EXPECT_NE(b.Handle(), shared);
  // a still holds the first handle, which stays valid.
  EXPECT_EQ(a.Handle(), shared);
  LOGFONTW logical{};
  EXPECT_NE(GetObjectW(shared, sizeof(logical), &logical), 0);
  b.SetHeight(-17);
  EXPECT_EQ(b.Handle(), shared);
}

TEST(Font, OnChangeFiresForRealChangesOnly) {
  TFont font;
  ChangeCounter counter;
  font.OnChange = MakeEvent<&ChangeCounter::Changed>(&counter);
  font.SetHeight(font.Height());
  font.SetColor(font.Color());
  EXPECT_EQ(counter.count, 0);
  font.SetHeight(font.Height() - 1);
  font.SetColor(clRed);
  font.SetStyle({fsItalic});
  EXPECT_EQ(counter.count, 3);
  TFont other;
  other.Assign(&font);
  EXPECT_EQ(other.Height(), font.Height());
  EXPECT_EQ(other.Color(), clRed);
  EXPECT_EQ(other.Style(), TFontStyles{fsItalic});
  // A font of another resolution takes the point size.
  TFont printer;
  printer.SetPixelsPerInch(300);
  font.SetPixelsPerInch(96);
  font.SetSize(10);
  printer.Assign(&font);
  EXPECT_EQ(printer.Size(), 10);
  EXPECT_EQ(printer.Height(), -42);
}

TEST(Font, SetHandleTakesTheLogicalFont) {
  LOGFONTW logical{};
  logical.lfHeight = -21;
  logical.lfItalic = TRUE;
  logical.lfCharSet = DEFAULT_CHARSET;
  wcscpy(logical.lfFaceName, L"Tahoma");
  HFONT handle = CreateFontIndirectW(&logical);
  TFont font;
  font.SetHandle(handle);
  EXPECT_EQ(font.Handle(), handle);
  EXPECT_EQ(font.Height(), -21);
  EXPECT_TRUE(font.Style().Contains(fsItalic));
  // A change makes a new font; the adopted one is deleted with its entry.
  font.SetHeight(-22);
  EXPECT_NE(font.Handle(), handle);
  EXPECT_EQ(GetObjectW(handle, sizeof(logical), &logical), 0);
}

TEST(Font, StreamsItsPropertiesWithColourNames) {
  TFontHolder holder(nullptr);
  holder.SetName(u"Holder");
  holder.Font()->SetColor(clBtnFace);
  holder.Font()->SetName(u"Tahoma");
  holder.Font()->SetHeight(-15);
  holder.Font()->SetStyle({fsBold});
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteRootComponent(holder);
  const std::string image(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  EXPECT_NE(image.find("clBtnFace"), std::string::npos);
  EXPECT_EQ(image.find("Font.Size"), std::string::npos);  // Height carries the size
  stream.SetPosition(0);
  TFontHolder read(nullptr);
  TReader reader(stream);
  reader.ReadRootComponent(read);
  EXPECT_EQ(read.Font()->Color(), clBtnFace);
  EXPECT_EQ(read.Font()->Height(), -15);
  EXPECT_EQ(read.Font()->Style(), TFontStyles{fsBold});
}

TEST(Pen, HandleCarriesColourWidthAndStyle) {
  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Width(), 1);
  pen.SetColor(clBtnShadow);
  pen.SetWidth(3);
  pen.SetStyle(psDash);
  LOGPEN logical{};
  ASSERT_NE(GetObjectW(pen.Handle(), sizeof(logical), &logical), 0);
  EXPECT_EQ(logical.lopnColor, GetSysColor(COLOR_BTNSHADOW));  // system colours resolved
  EXPECT_EQ(logical.lopnWidth.x, 3);
  EXPECT_EQ(logical.lopnStyle, static_cast<UINT>(PS_DASH));
  pen.SetWidth(0);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(PenModeToRop2(pmXor), R2_XORPEN);
  EXPECT_EQ(PenModeToRop2(pmCopy), R2_COPYPEN);
  EXPECT_EQ(PenModeToRop2(pmNotXor), R2_NOTXORPEN);
}

TEST(Brush, StylesAndColours) {
  TBrush brush;
  LOGBRUSH logical{};
  ASSERT_NE(GetObjectW(brush.Handle(), sizeof(logical), &logical), 0);
  EXPECT_EQ(logical.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(logical.lbColor, 0xFFFFFFu);
  brush.SetStyle(bsClear);
  ASSERT_NE(GetObjectW(brush.Handle(), sizeof(logical), &logical), 0);
  EXPECT_EQ(logical.lbStyle, static_cast<UINT>(BS_HOLLOW));
  // A colour given to a clear brush makes it solid again.
  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), bsSolid);
  brush.SetStyle(bsDiagCross);
  ASSERT_NE(GetObjectW(brush.Handle(), sizeof(logical), &logical), 0);
  EXPECT_EQ(logical.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(logical.lbHatch, static_cast<ULONG_PTR>(HS_DIAGCROSS));
  EXPECT_EQ(logical.lbColor, 0x0000FFu);
}

}  // namespace
