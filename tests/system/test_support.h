#pragma once
// Scratch folders and child processes for the system tests. Every guard here
// undoes what its test set up, also when the test fails.

#include <windows.h>

#include <set>
#include <vector>

#include "rtl/ustring.h"

// A fresh folder under the temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const String& path() const { return path_; }  // without a trailing "\"
  // Both return the full path of what they made below path().
  String MakeFile(const String& relativeName);
  String MakeFolder(const String& relativeName);

 private:
  String path_;
};

// Whether this process runs under Wine rather than on Windows itself.
bool RunningUnderWine();

// The folder of this test program, with a trailing "\".
String TestProgramFolder();

// A started program, terminated and waited for on destruction if still running.
class ChildProcess {
 public:
  // Starts `exePath` with `arguments` appended to its quoted name. Check
  // started() before use.
  ChildProcess(const String& exePath, const String& arguments = String());
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  // True when the process ended within `milliseconds`.
  bool WaitForExit(DWORD milliseconds) const;
  DWORD ExitCode() const;
  void Terminate();

 private:
  PROCESS_INFORMATION info_{};
};

// Remembers the processes running at construction; TerminateAll ends those
// started since then by this process or by one of them (found by parent
// process id), each by its process id.
class NewChildProcesses {
 public:
  NewChildProcesses();
  // Watches for `settleMilliseconds` (programs started through the shell may
  // appear a little later) and ends what it finds; returns how many it ended.
  int TerminateAll(DWORD settleMilliseconds) const;

 private:
  std::set<DWORD> before_;
};
