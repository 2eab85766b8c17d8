#pragma once
// A scoped replacement of the system layer's platform table for tests: every
// setting left unset forwards to the real system, every set one answers as
// told and records what reached it. Nothing reaches the real shell's
// window-opening calls (SHOpenFolderAndSelectItems, ShellExecuteW): those are
// always recorders. One instance at a time.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "rtl/ustring.h"
#include "system/system_api.h"

struct ShellExecuteCall {
  String verb;
  String file;
  String parameters;  // "(none)" when the caller passed none
  String directory;   // "(none)" when the caller passed none
  int show = 0;
};

// A process as the fake toolhelp functions list it.
struct FakeProcess {
  DWORD id = 0;
  String exeFile;
};

// What the fake IsWow64Process does.
struct FakeIsWow64Process {
  BOOL returns = TRUE;
  BOOL stores = FALSE;
  bool raises = false;
};

class FakeSystem {
 public:
  FakeSystem();
  ~FakeSystem();
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  static FakeSystem& Current();

  // --- version, user, drive
  std::optional<std::pair<DWORD, DWORD>> version;  // major, minor
  std::optional<String> userName;                  // obeys GetUserNameW's size rules
  DWORD userNameSizePassed = 0;
  std::optional<String> kernel32FileName;

  // --- known folders
  bool shellFolderFails = false;
  std::optional<String> shellFolder;  // the shell's answer when it does not fail
  // When set, the whole environment (a name not in the map is not set).
  std::optional<std::map<std::wstring, String>> environment;
  std::vector<std::wstring> variablesRead;

  // --- exports found by name
  std::set<std::string> hiddenExports;
  std::map<std::string, int> exportLookups;
  std::optional<FakeIsWow64Process> isWow64Process;
  int isWow64ProcessCalls = 0;
  int getCurrentProcessCalls = 0;
  bool getCurrentProcessRaises = false;

  // --- shell. SHOpenFolderAndSelectItems and ILFree are recorders that
  // forward to nothing and to the real ILFree respectively.
  HRESULT selectResult = S_OK;
  bool selectRaises = false;
  std::vector<String> selectedPaths;  // the path of each item list selected
  int ilFreeCalls = 0;
  int coTaskMemFreeCalls = 0;
  int comInitializations = 0;
  int comUninitializations = 0;
  INT_PTR shellExecuteResult = 42;  // ShellExecuteW is never the real one here
  std::vector<ShellExecuteCall> shellExecuteCalls;

  // --- folder browser. When set, SHBrowseForFolderW calls this instead of
  // showing the dialog; SetErrorMode records each mode and forwards.
  std::function<ITEMIDLIST*(BROWSEINFOW& info)> browseForFolder;
  std::vector<UINT> errorModes;

  // --- processes. When set, the toolhelp functions list these, and opening,
  // terminating and closing work on them without touching real processes.
  std::optional<std::vector<FakeProcess>> processes;
  std::set<DWORD> unopenable;
  std::vector<DWORD> terminated;
  int openHandles = 0;  // handles handed out and not yet closed (snapshot included)

 private:
  std::unique_ptr<ScopedSystemApi> scope_;
};
