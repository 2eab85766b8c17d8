#include "test_support.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <map>

#include "rtl/wide_string.h"

namespace {

void RemoveTree(const String& path) {
  WIN32_FIND_DATAW found;
  const String pattern = path + u"\\*";
  const HANDLE search = FindFirstFileW(WideCStr(pattern), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const String name = FromWide(found.cFileName);
      if (name == u"." || name == u"..") continue;
      const String full = path + u"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileW(WideCStr(full));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(WideCStr(path));
}

// Process id -> parent process id of every running process.
std::map<DWORD, DWORD> RunningProcesses() {
  std::map<DWORD, DWORD> parents;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return parents;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    parents[entry.th32ProcessID] = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parents;
}

}  // namespace

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  static int counter = 0;
  path_ = FromWide(temp, length) + u"rd-system-" + Utf8ToString(std::to_string(GetCurrentProcessId())) + u"-" +
          Utf8ToString(std::to_string(++counter));
  CreateDirectoryW(WideCStr(path_), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

String TempFolder::MakeFile(const String& relativeName) {
  const String full = path_ + u"\\" + relativeName;
  const HANDLE file = CreateFileW(WideCStr(full), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return full;
}

String TempFolder::MakeFolder(const String& relativeName) {
  const String full = path_ + u"\\" + relativeName;
  CreateDirectoryW(WideCStr(full), nullptr);
  return full;
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

String TestProgramFolder() {
  wchar_t name[MAX_PATH];
  const String path = FromWide(name, GetModuleFileNameW(nullptr, name, MAX_PATH));
  return path.substr(0, path.find_last_of(u'\\') + 1);
}

ChildProcess::ChildProcess(const String& exePath, const String& arguments) {
  String commandLine = u"\"" + exePath + u"\"";
  if (!arguments.empty()) commandLine += u" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(WideCStr(exePath), WideBuffer(commandLine), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_))
    info_ = {};
}

ChildProcess::~ChildProcess() {
  if (!started()) return;
  Terminate();
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::WaitForExit(DWORD milliseconds) const {
  return started() && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (started()) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void ChildProcess::Terminate() {
  if (!started() || WaitForExit(0)) return;
  TerminateProcess(info_.hProcess, 1);
  WaitForExit(5000);
}

NewChildProcesses::NewChildProcesses() {
  for (const auto& [id, parent] : RunningProcesses()) before_.insert(id);
}

int NewChildProcesses::TerminateAll(DWORD settleMilliseconds) const {
  int ended = 0;
  const DWORD start = GetTickCount();
  do {
    Sleep(100);
    const std::map<DWORD, DWORD> running = RunningProcesses();
    std::set<DWORD> ours = {GetCurrentProcessId()};
    // Descendants first found through their parents, however deep.
    for (bool grew = true; grew;) {
      grew = false;
      for (const auto& [id, parent] : running)
        if (!before_.count(id) && !ours.count(id) && ours.count(parent)) grew = ours.insert(id).second;
    }
    ours.erase(GetCurrentProcessId());
    for (const DWORD id : ours) {
      const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
      if (!process) continue;
      if (TerminateProcess(process, 1)) ++ended;
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  } while (GetTickCount() - start < settleMilliseconds);
  return ended;
}
