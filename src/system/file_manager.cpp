#include "system/file_manager.h"

#include "rtl/filenames.h"
#include "rtl/wide_string.h"
#include "system/system_caches.h"

namespace {

// The shell's item selection, and shell extensions that ShellExecuteW may
// hand a request to, need COM on the calling thread. A thread that already has
// it keeps its apartment (the nested call only counts up, and a different
// model is left alone).
class ComOnThisThread {
 public:
  ComOnThisThread() {
    const HRESULT result =
        CurrentSystemApi().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    mustUninitialize_ = SUCCEEDED(result);
  }
  ~ComOnThisThread() {
    if (mustUninitialize_) CurrentSystemApi().CoUninitialize();
  }
  ComOnThisThread(const ComOnThisThread&) = delete;
  ComOnThisThread& operator=(const ComOnThisThread&) = delete;

 private:
  bool mustUninitialize_ = false;
};

// Releases an item identifier list the shell allocated, with ILFree (or
// CoTaskMemFree when shell32 has none). Errors of the release are ignored.
class OwnedIdList {
 public:
  explicit OwnedIdList(ITEMIDLIST* list) : list_(list) {
    SystemCaches& caches = Caches();
    if (!caches.idListReleaseLookedUp) {
      caches.ilFree = FindExport<IdListFreeFunction>(L"shell32.dll", "ILFree");
      caches.idListReleaseLookedUp = true;
    }
  }
  ~OwnedIdList() {
    if (!list_) return;
    try {
      if (const IdListFreeFunction ilFree = Caches().ilFree)
        ilFree(list_);
      else
        CurrentSystemApi().CoTaskMemFree(list_);
    } catch (...) {
    }
  }
  OwnedIdList(const OwnedIdList&) = delete;
  OwnedIdList& operator=(const OwnedIdList&) = delete;

  const ITEMIDLIST* get() const { return list_; }

 private:
  ITEMIDLIST* list_;
};

// Through the desktop folder: only for names the shell can resolve.
ITEMIDLIST* ParseThroughDesktop(const String& path) {
  IShellFolder* desktop = nullptr;
  if (FAILED(CurrentSystemApi().SHGetDesktopFolder(&desktop)) || !desktop) return nullptr;
  String name = path;  // ParseDisplayName takes a writable string
  ITEMIDLIST* list = nullptr;
  const HRESULT result = desktop->ParseDisplayName(nullptr, nullptr, WideBuffer(name), nullptr, &list, nullptr);
  desktop->Release();
  return SUCCEEDED(result) ? list : nullptr;
}

// Way 1: the item selected in its folder's window.
bool SelectItemInFolderWindow(const String& path) {
  SystemCaches& caches = Caches();
  if (!caches.openFolderAndSelectItems)
    caches.openFolderAndSelectItems =
        FindExport<OpenFolderAndSelectItemsFunction>(L"shell32.dll", "SHOpenFolderAndSelectItems");
  if (!caches.openFolderAndSelectItems) return false;

  if (!caches.simpleIdListFromPath)
    caches.simpleIdListFromPath =
        FindExport<SimpleIdListFromPathFunction>(L"shell32.dll", "SHSimpleIDListFromPath");
  // A simple list also stands for a path that does not exist.
  const OwnedIdList list(caches.simpleIdListFromPath ? caches.simpleIdListFromPath(WideCStr(path))
                                                     : ParseThroughDesktop(path));
  if (!list.get()) return false;
  return caches.openFolderAndSelectItems(list.get(), 0, nullptr, 0) == S_OK;
}

bool ShellAccepted(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; }

// Way 2: the folder window of `path` itself when it is a folder, else of the
// folder that holds it.
bool OpenFolderWindow(const String& path) {
  const SystemApi& api = CurrentSystemApi();
  const DWORD attributes = api.GetFileAttributesW(WideCStr(path));
  const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  const String folder = isFolder ? path : ExtractFilePath(path);
  return ShellAccepted(
      api.ShellExecuteW(nullptr, L"explore", WideCStr(folder), nullptr, WideCStr(folder), SW_SHOWNORMAL));
}

// Way 3: the file manager started with a selection request.
bool StartFileManagerSelecting(const String& path) {
  const String parameters = u" /select," + path;
  return ShellAccepted(CurrentSystemApi().ShellExecuteW(nullptr, L"open", L"explorer", WideCStr(parameters),
                                                        nullptr, SW_SHOWNORMAL));
}

}  // namespace

bool RevealInFileManager(const String& path) {
  try {
    const ComOnThisThread com;
    const PlatformVersion version = ReportedPlatformVersion();
    if (version.major > 5 || version.minor > 0) {
      try {
        if (SelectItemInFolderWindow(path)) return true;
        if (version.major > 5) return OpenFolderWindow(path);
      } catch (...) {
        // Any failure of the first two ways leaves the command line.
      }
    }
    return StartFileManagerSelecting(path);
  } catch (...) {
    return false;
  }
}
