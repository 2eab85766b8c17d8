// Terminating programs by image name: on real processes under Wine, and on a
// listed set of fake ones for the matching rules and the outcome.
#include <windows.h>

#include <gtest/gtest.h>

#include "fake_system.h"
#include "rtl/wide_string.h"
#include "system/processes.h"
#include "test_support.h"

namespace {

// Copies the sleeper program to `folder\name` and starts it.
std::unique_ptr<ChildProcess> StartSleeperAs(TempFolder& temp, const String& subfolder, const String& name) {
  const String folder = temp.MakeFolder(subfolder);
  const String exe = folder + u"\\" + name;
  const String sleeper = TestProgramFolder() + u"system_sleeper.exe";
  EXPECT_TRUE(CopyFileW(WideCStr(sleeper), WideCStr(exe), FALSE)) << StringToUtf8(exe);
  auto child = std::make_unique<ChildProcess>(exe);
  EXPECT_TRUE(child->started()) << StringToUtf8(exe);
  return child;
}

TEST(TerminateProcesses, EndsEveryProcessOfTheNameInAnyLetterCase) {
  TempFolder temp;
  // Separate folders: the file system may not tell Pavo.exe from PAVO.exe.
  const auto pavo = StartSleeperAs(temp, u"a", u"Pavo.exe");
  const auto upper = StartSleeperAs(temp, u"b", u"PAVO.exe");
  const auto other = StartSleeperAs(temp, u"c", u"Pavo64.exe");
  ASSERT_TRUE(pavo->started() && upper->started() && other->started());
  ASSERT_FALSE(pavo->WaitForExit(200));  // all three are running

  EXPECT_TRUE(TerminateProcessesByName(u"PAVO.exe"));
  EXPECT_TRUE(pavo->WaitForExit(5000));
  EXPECT_TRUE(upper->WaitForExit(5000));
  EXPECT_EQ(pavo->ExitCode(), 0u);
  EXPECT_EQ(upper->ExitCode(), 0u);
  EXPECT_FALSE(other->WaitForExit(300));
}

TEST(TerminateProcesses, ANameNoProcessHasChangesNothing) {
  TempFolder temp;
  const auto pavo = StartSleeperAs(temp, u"a", u"Pavo.exe");
  ASSERT_TRUE(pavo->started());
  EXPECT_FALSE(TerminateProcessesByName(u"rd-no-such-program-5d1c.exe"));
  EXPECT_FALSE(TerminateProcessesByName(u""));
  EXPECT_FALSE(pavo->WaitForExit(300));
}

TEST(TerminateProcesses, MatchesTheFileNameOrTheWholeNameFoldingOnlyAToZ) {
  FakeSystem fake;
  fake.processes = std::vector<FakeProcess>{
      {10, u"C:\\Program Files\\Systavo\\Pavo.exe"},
      {11, u"pavo.EXE"},
      {12, u"Pavo64.exe"},
      {13, u"xPAVO.exe"},
      {14, u"PAVO.exe.bak"},
      {15, u"D:PAVO.EXE"},
  };
  EXPECT_TRUE(TerminateProcessesByName(u"PAVO.exe"));
  EXPECT_EQ(fake.terminated, (std::vector<DWORD>{10, 11, 15}));
  EXPECT_EQ(fake.openHandles, 0);

  // Only a-z fold: an accented capital is another letter.
  fake.processes = std::vector<FakeProcess>{{20, u"\u00C9t\u00E9.exe"}, {21, u"\u00E9t\u00E9.exe"}};
  fake.terminated.clear();
  EXPECT_FALSE(TerminateProcessesByName(u"\u00E9T\u00C9.EXE"));
  EXPECT_TRUE(TerminateProcessesByName(u"\u00C9T\u00E9.EXE"));
  EXPECT_EQ(fake.terminated, std::vector<DWORD>{20});

  // The whole name matches too.
  fake.processes = std::vector<FakeProcess>{{30, u"C:\\Tools\\Pavo.exe"}};
  fake.terminated.clear();
  EXPECT_TRUE(TerminateProcessesByName(u"c:\\tools\\pavo.exe"));
  EXPECT_EQ(fake.terminated, std::vector<DWORD>{30});
}

TEST(TerminateProcesses, TheResultIsTheOutcomeOfTheLastAttempt) {
  FakeSystem fake;
  fake.processes = std::vector<FakeProcess>{{10, u"Pavo.exe"}, {11, u"Pavo.exe"}};
  fake.unopenable = {11};
  EXPECT_FALSE(TerminateProcessesByName(u"Pavo.exe"));
  EXPECT_EQ(fake.terminated, std::vector<DWORD>{10});

  fake.unopenable = {10};
  fake.terminated.clear();
  EXPECT_TRUE(TerminateProcessesByName(u"Pavo.exe"));
  EXPECT_EQ(fake.terminated, std::vector<DWORD>{11});
  EXPECT_EQ(fake.openHandles, 0);
}

TEST(TerminateProcesses, WithoutToolhelpNothingIsVisited) {
  TempFolder temp;
  const auto pavo = StartSleeperAs(temp, u"a", u"Pavo.exe");
  ASSERT_TRUE(pavo->started());
  FakeSystem fake;
  fake.hiddenExports = {"Process32NextW"};
  EXPECT_FALSE(TerminateProcessesByName(u"Pavo.exe"));
  EXPECT_FALSE(pavo->WaitForExit(300));
}

}  // namespace
