#include "vcl/application_identity.h"

#include "rtl/filenames.h"
#include "rtl/wide_string.h"

namespace {

constinit TApplicationIdentity* g_identity = nullptr;

}  // namespace

TApplicationIdentity& ApplicationIdentity() {
  // Built on first use, never freed: it outlives every form and dialog.
  if (!g_identity) g_identity = new TApplicationIdentity();
  return *g_identity;
}

String ApplicationTitle() {
  const String& title = ApplicationIdentity().title;
  if (!title.empty()) return title;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return ChangeFileExt(ExtractFileName(FromWide(path, length)), u"");
}
