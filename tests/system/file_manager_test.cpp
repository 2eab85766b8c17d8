// Revealing a path: which requests reach the shell, in which order, on which
// Windows version. The shell itself is a recorder here (see FakeSystem), except
// in the one test that runs the real thing.
#include <windows.h>

#include <gtest/gtest.h>

#include "fake_system.h"
#include "rtl/wide_string.h"
#include "system/file_manager.h"
#include "test_support.h"

namespace {

enum class PathKind { ExistingFile, MissingFile, ExistingFolder };

struct RevealCase {
  const char* name;
  std::pair<DWORD, DWORD> version;
  PathKind kind;
  std::set<std::string> hiddenExports;
  HRESULT selectResult;
  INT_PTR shellExecuteResult;
  bool expected;
  // "%P" stands for the path revealed, "%F" for its folder (with "\").
  std::vector<String> selects;
  std::vector<String> shellExecutes;  // verb|file|parameters|directory|show
};

void PrintTo(const RevealCase& c, std::ostream* out) { *out << c.name; }

String Expand(String text, const String& path, const String& folder) {
  for (const auto& [token, value] : {std::pair{String(u"%P"), path}, std::pair{String(u"%F"), folder}})
    for (size_t at = text.find(token); at != String::npos; at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  return text;
}

String Describe(const ShellExecuteCall& call) {
  return call.verb + u"|" + call.file + u"|" + call.parameters + u"|" + call.directory + u"|" +
         Utf8ToString(std::to_string(call.show));
}

class RevealRequests : public testing::TestWithParam<RevealCase> {
 protected:
  TempFolder temp_;
};

TEST_P(RevealRequests, FollowTheVersionRules) {
  const RevealCase& c = GetParam();
  const String folder = temp_.path() + u"\\";
  temp_.MakeFile(u"shown.txt");
  temp_.MakeFolder(u"sub");
  const String path = c.kind == PathKind::ExistingFile  ? folder + u"shown.txt"
                      : c.kind == PathKind::MissingFile ? folder + u"missing.txt"
                                                        : folder + u"sub";
  FakeSystem fake;
  fake.version = c.version;
  fake.hiddenExports = c.hiddenExports;
  fake.selectResult = c.selectResult;
  fake.shellExecuteResult = c.shellExecuteResult;

  EXPECT_EQ(RevealInFileManager(path), c.expected);

  std::vector<String> selects;
  for (const String& s : c.selects) selects.push_back(Expand(s, path, folder));
  EXPECT_EQ(fake.selectedPaths, selects);
  std::vector<String> expectedCalls, calls;
  for (const String& s : c.shellExecutes) expectedCalls.push_back(Expand(s, path, folder));
  for (const ShellExecuteCall& call : fake.shellExecuteCalls) calls.push_back(Describe(call));
  EXPECT_EQ(calls, expectedCalls);
  // Every item list made is released, and COM is left as it was found.
  EXPECT_EQ(fake.ilFreeCalls, static_cast<int>(selects.size()));
  EXPECT_EQ(fake.comInitializations, fake.comUninitializations);
}

const String kExploreFolder = u"explore|%F|(none)|%F|1";
const String kExploreItself = u"explore|%P|(none)|%P|1";
const String kExplorerSelect = u"open|explorer| /select,%P|(none)|1";
const std::set<std::string> kNoSelection = {"SHOpenFolderAndSelectItems"};

INSTANTIATE_TEST_SUITE_P(
    Strategies, RevealRequests,
    testing::Values(
        RevealCase{"Version6SelectsTheItem", {6, 1}, PathKind::ExistingFile, {}, S_OK, 42, true, {u"%P"}, {}},
        RevealCase{"Version6OpensTheFolderWhenSelectionFails", {6, 1}, PathKind::MissingFile, {}, E_FAIL, 42,
                   true, {u"%P"}, {kExploreFolder}},
        RevealCase{"Version6OpensAFolderItself", {10, 0}, PathKind::ExistingFolder, kNoSelection, S_OK, 42, true,
                   {}, {kExploreItself}},
        RevealCase{"Version6FolderRefusedIsFalse", {6, 0}, PathKind::ExistingFile, {}, S_FALSE, 2, false, {u"%P"},
                   {kExploreFolder}},
        RevealCase{"Version51StartsExplorerWhenSelectionFails", {5, 1}, PathKind::ExistingFile, {}, E_FAIL, 42,
                   true, {u"%P"}, {kExplorerSelect}},
        RevealCase{"Version52WithoutSelectionStartsExplorer", {5, 2}, PathKind::ExistingFolder, kNoSelection, S_OK,
                   42, true, {}, {kExplorerSelect}},
        RevealCase{"Version52SelectsTheItem", {5, 2}, PathKind::MissingFile, {}, S_OK, 42, true, {u"%P"}, {}},
        RevealCase{"Version50OnlyStartsExplorer", {5, 0}, PathKind::ExistingFile, {}, S_OK, 42, true, {},
                   {kExplorerSelect}},
        RevealCase{"Version50ExplorerRefusedIsFalse", {5, 0}, PathKind::MissingFile, {}, S_OK, 31, false, {},
                   {kExplorerSelect}}),
    [](const testing::TestParamInfo<RevealCase>& info) { return std::string(info.param.name); });

TEST(Reveal, AnErrorInTheShellLeavesTheCommandLine) {
  TempFolder temp;
  const String path = temp.MakeFile(u"shown.txt");
  FakeSystem fake;
  fake.selectRaises = true;
  EXPECT_TRUE(RevealInFileManager(path));
  ASSERT_EQ(fake.shellExecuteCalls.size(), 1u);
  EXPECT_EQ(Describe(fake.shellExecuteCalls[0]), u"open|explorer| /select," + path + u"|(none)|1");
  EXPECT_EQ(fake.ilFreeCalls, 1);
}

TEST(Reveal, WithoutSimpleItemListsTheDesktopParsesThePath) {
  TempFolder temp;
  const String shown = temp.MakeFile(u"shown.txt");
  FakeSystem fake;
  fake.hiddenExports = {"SHSimpleIDListFromPath"};
  EXPECT_TRUE(RevealInFileManager(shown));
  EXPECT_EQ(fake.selectedPaths, std::vector<String>{shown});
  EXPECT_TRUE(fake.shellExecuteCalls.empty());
  // A missing file cannot be parsed: no selection, its folder is opened.
  EXPECT_TRUE(RevealInFileManager(temp.path() + u"\\missing.txt"));
  EXPECT_EQ(fake.selectedPaths.size(), 1u);
  ASSERT_EQ(fake.shellExecuteCalls.size(), 1u);
  EXPECT_EQ(fake.shellExecuteCalls[0].file, temp.path() + u"\\");
}

TEST(Reveal, WithoutILFreeItemListsGoToTheTaskAllocator) {
  TempFolder temp;
  const String shown = temp.MakeFile(u"shown.txt");
  FakeSystem fake;
  fake.hiddenExports = {"ILFree"};
  EXPECT_TRUE(RevealInFileManager(shown));
  EXPECT_TRUE(RevealInFileManager(shown));
  EXPECT_EQ(fake.ilFreeCalls, 0);
  EXPECT_EQ(fake.coTaskMemFreeCalls, 2);
  EXPECT_EQ(fake.exportLookups["ILFree"], 1);
}

TEST(Reveal, AMissingSelectionFunctionIsLookedForAgainUntilFound) {
  TempFolder temp;
  const String shown = temp.MakeFile(u"shown.txt");
  FakeSystem fake;
  fake.hiddenExports = kNoSelection;
  RevealInFileManager(shown);
  RevealInFileManager(shown);
  EXPECT_EQ(fake.exportLookups["SHOpenFolderAndSelectItems"], 2);
  fake.hiddenExports.clear();
  RevealInFileManager(shown);
  RevealInFileManager(shown);
  EXPECT_EQ(fake.exportLookups["SHOpenFolderAndSelectItems"], 3);
  EXPECT_EQ(fake.exportLookups["SHSimpleIDListFromPath"], 1);
  EXPECT_EQ(fake.selectedPaths.size(), 2u);
}

BOOL CALLBACK NoteVisibleWindowOfThisProcess(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window)) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

bool HasVisibleWindowOfThisProcess() {
  bool found = false;
  EnumWindows(NoteVisibleWindowOfThisProcess, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The real shell, once: it must accept the request. Whatever file manager it
// starts (Wine's shell starts explorer.exe on the folder) is ended again by
// its process id, and no window is left in this process. On Windows itself the
// running Explorer would open a window that is not ours to close.
TEST(Reveal, TheRealShellAcceptsTheRequest) {
  if (!RunningUnderWine()) GTEST_SKIP() << "would leave an Explorer window open";
  TempFolder temp;
  const String shown = temp.MakeFile(u"shown.txt");
  const NewChildProcesses started;
  EXPECT_TRUE(RevealInFileManager(shown));
  started.TerminateAll(/*settleMilliseconds=*/1500);
  EXPECT_EQ(started.TerminateAll(0), 0) << "a started program outlived its termination";
  EXPECT_FALSE(HasVisibleWindowOfThisProcess());
}

}  // namespace
