#include "system/shell_item_lists.h"

#include "rtl/wide_string.h"

ITEMIDLIST* ParseThroughDesktop(const String& path) {
  IShellFolder* desktop = nullptr;
  if (FAILED(CurrentSystemApi().SHGetDesktopFolder(&desktop)) || !desktop) return nullptr;
  String name = path;  // ParseDisplayName takes a writable string
  ITEMIDLIST* list = nullptr;
  const HRESULT result = desktop->ParseDisplayName(nullptr, nullptr, WideBuffer(name), nullptr, &list, nullptr);
  desktop->Release();
  return SUCCEEDED(result) ? list : nullptr;
}
