#include <gtest/gtest.h>

#include <string>

#include "rtl/objtext.h"
#include "rtl/streams.h"
#include "vcl/win_api.h"

namespace {

std::string ResourceBytes(const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(nullptr, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* data = static_cast<const char*>(LockResource(loaded));
  return std::string(data, SizeofResource(nullptr, found));
}

TEST(FormResources, AFormIsEmbeddedAsItsBinaryImageNamedAfterItsClass) {
  const std::string image = ResourceBytes(L"TTestForm", MAKEINTRESOURCEW(10));  // RT_RCDATA
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.substr(0, 4), "TPF0");
  TResourceStream binary(image.data(), static_cast<int64_t>(image.size()));
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  const std::string round_trip(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
  EXPECT_EQ(round_trip,
            "object TestForm: TTestForm\r\n"
            "  Caption = 'Form resource test'\r\n"
            "  Tag = 7\r\n"
            "  Lines.Strings = (\r\n"
            "    'one'\r\n"
            "    'two')\r\n"
            "  object Inner: TTestPart\r\n"
            "    Left = 12\r\n"
            "  end\r\n"
            "end\r\n");
}

TEST(FormResources, TheProgramCarriesTheCommonControlsManifestRunningAsInvoker) {
  const std::string manifest = ResourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
