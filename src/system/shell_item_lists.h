#pragma once
// Shell helpers shared by this layer's operations: COM on the calling thread,
// item identifier lists and their release. Internal to src/system.

#include "rtl/ustring.h"
#include "system/system_caches.h"

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

// The item list of `path` through the desktop folder's ParseDisplayName
// (only for names the shell can resolve), or nullptr.
ITEMIDLIST* ParseThroughDesktop(const String& path);
