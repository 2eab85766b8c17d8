// Strings crossing the Win32 boundary keep every code unit, and our UTF-8
// conversion agrees with the system's for well-formed text.
#include <windows.h>

#include "rtl/wide_string.h"

#include <gtest/gtest.h>

namespace {

const String kSample = u"Gr\u00FC\u00DFe \u4E2D\u6587 \U0001F3A8 C:\\Skins\\classic";

TEST(WideString, SurvivesAWin32RoundTrip) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"RD_WIDE_TEST", WideCStr(kSample)));
  String back(256, u'\0');
  const DWORD n = GetEnvironmentVariableW(L"RD_WIDE_TEST", WideBuffer(back), 256);
  ASSERT_EQ(n, kSample.size());
  back.resize(n);
  EXPECT_EQ(back, kSample);
  EXPECT_EQ(FromWide(WideCStr(back)), kSample);
}

TEST(WideString, Utf8MatchesTheSystemConversion) {
  const std::string utf8 = StringToUtf8(kSample);
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  ASSERT_GT(n, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), n);
  EXPECT_EQ(FromWide(wide.c_str(), wide.size()), kSample);
  EXPECT_EQ(Utf8ToString(utf8), kSample);
}

}  // namespace
