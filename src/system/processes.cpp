#include "system/processes.h"

#include <cwchar>

#include "rtl/wide_string.h"
#include "system/system_caches.h"

namespace {

// Equal ignoring the case of a-z only, without locale or Unicode case rules.
bool SameAsciiText(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

// The part after the last "\" or ":".
StringView ExtractFileName(StringView path) {
  const size_t end = path.find_last_of(u"\\:");
  return end == StringView::npos ? path : path.substr(end + 1);
}

bool EntryMatches(const PROCESSENTRY32W& entry, StringView imageName) {
  const String exe = FromWide(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
  return SameAsciiText(ExtractFileName(exe), imageName) || SameAsciiText(exe, imageName);
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
