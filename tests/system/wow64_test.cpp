// WOW64: IsWow64Process bound once at run time, the answer cached once given.
#include <windows.h>

#include <gtest/gtest.h>

#include "fake_system.h"
#include "system/wow64.h"

namespace {

TEST(Wow64, ANative64BitProcessIsNotWow64) {
  FakeSystem fake;  // all real, but counted
  bool wow64 = true;
  EXPECT_TRUE(QueryProcessWow64(GetCurrentProcess(), wow64));
  EXPECT_FALSE(wow64);
  EXPECT_FALSE(IsWow64());
  // The redirection switches are looked up with the first answer and kept.
  const Wow64FsRedirectionFunctions redirection = Wow64FsRedirection();
  EXPECT_NE(redirection.disable, nullptr);
  EXPECT_NE(redirection.revert, nullptr);
  EXPECT_EQ(fake.exportLookups["Wow64DisableWow64FsRedirection"], 1);
  EXPECT_EQ(fake.exportLookups["Wow64RevertWow64FsRedirection"], 1);
  EXPECT_EQ(fake.exportLookups["Wow64EnableWow64FsRedirection"], 1);
}

TEST(Wow64, TheAnswerIsCachedAfterTheFirstQuery) {
  FakeSystem fake;
  fake.isWow64Process = FakeIsWow64Process{TRUE, TRUE, false};
  EXPECT_TRUE(IsWow64());
  fake.isWow64Process->stores = FALSE;
  EXPECT_TRUE(IsWow64());
  EXPECT_EQ(fake.isWow64ProcessCalls, 1);
  EXPECT_EQ(fake.exportLookups["IsWow64Process"], 1);
  EXPECT_EQ(fake.exportLookups["Wow64DisableWow64FsRedirection"], 1);
}

TEST(Wow64, WithoutIsWow64ProcessNothingIsWow64AndThatIsCached) {
  FakeSystem fake;
  fake.hiddenExports = {"IsWow64Process"};
  bool wow64 = true;
  EXPECT_FALSE(QueryProcessWow64(GetCurrentProcess(), wow64));
  EXPECT_FALSE(wow64);
  EXPECT_FALSE(IsWow64());
  EXPECT_FALSE(IsWow64());
  EXPECT_FALSE(QueryProcessWow64(GetCurrentProcess(), wow64));
  // Looked up once; its absence remembered, the answer cached.
  EXPECT_EQ(fake.exportLookups["IsWow64Process"], 1);
  EXPECT_EQ(fake.getCurrentProcessCalls, 1);
}

TEST(Wow64, AQueryThatFailsOrRaisesAnswersNotWow64) {
  FakeSystem fake;
  bool wow64 = true;
  fake.isWow64Process = FakeIsWow64Process{FALSE, TRUE, false};  // failed, yet stored TRUE
  EXPECT_FALSE(QueryProcessWow64(GetCurrentProcess(), wow64));
  EXPECT_FALSE(wow64);
  wow64 = true;
  fake.isWow64Process = FakeIsWow64Process{TRUE, TRUE, true};
  EXPECT_FALSE(QueryProcessWow64(GetCurrentProcess(), wow64));
  EXPECT_FALSE(wow64);
}

TEST(Wow64, AnErrorDuringTheFirstAnswerLeavesItToBeAskedAgain) {
  FakeSystem fake;
  fake.isWow64Process = FakeIsWow64Process{TRUE, TRUE, false};
  fake.getCurrentProcessRaises = true;
  EXPECT_FALSE(IsWow64());
  EXPECT_EQ(fake.isWow64ProcessCalls, 0);
  fake.getCurrentProcessRaises = false;
  EXPECT_TRUE(IsWow64());
  EXPECT_TRUE(IsWow64());
  EXPECT_EQ(fake.getCurrentProcessCalls, 2);
}

}  // namespace
