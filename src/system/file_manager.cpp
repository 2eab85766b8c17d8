#include "system/file_manager.h"

#include "rtl/filenames.h"
#include "rtl/wide_string.h"
#include "system/shell_item_lists.h"
#include "system/system_caches.h"

namespace {

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
