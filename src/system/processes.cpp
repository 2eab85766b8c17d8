#include "system/processes.h"

#include <cwchar>

#include "rtl/filenames.h"
#include "rtl/textutils.h"
#include "rtl/wide_string.h"
#include "system/system_caches.h"

namespace {

bool EntryMatches(const PROCESSENTRY32W& entry, StringView imageName) {
  const String exe = FromWide(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
  // SameText folds a-z only: no locale or Unicode case rules for image names.
  return SameText(ExtractFileName(exe), imageName) || SameText(exe, imageName);
}

bool TerminateProcessById(DWORD processId) {
  const SystemApi& api = CurrentSystemApi();
  const HANDLE process = api.OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (!process) return false;
  const bool terminated = api.TerminateProcess(process, 0) != FALSE;
  api.CloseHandle(process);
  return terminated;
}

class SnapshotHandle {
 public:
  explicit SnapshotHandle(HANDLE handle) : handle_(handle) {}
  ~SnapshotHandle() {
    if (valid()) CurrentSystemApi().CloseHandle(handle_);
  }
  SnapshotHandle(const SnapshotHandle&) = delete;
  SnapshotHandle& operator=(const SnapshotHandle&) = delete;

  bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

bool TerminateProcessesByName(const String& imageName) {
  try {
    if (imageName.empty()) return false;
    SystemCaches& caches = Caches();
    const auto createSnapshot = caches.createToolhelp32Snapshot.Get(L"kernel32.dll", "CreateToolhelp32Snapshot");
    const auto first = caches.process32First.Get(L"kernel32.dll", "Process32FirstW");
    const auto next = caches.process32Next.Get(L"kernel32.dll", "Process32NextW");
    if (!createSnapshot || !first || !next) return false;

    const SnapshotHandle snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return false;
    bool result = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
      if (EntryMatches(entry, imageName)) result = TerminateProcessById(entry.th32ProcessID);
    }
    return result;
  } catch (...) {
    return false;
  }
}
