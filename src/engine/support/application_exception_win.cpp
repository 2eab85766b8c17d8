// The default exception display: a message box with the error's message and
// the program's name as its caption, as the application would show it.

#include <windows.h>

#include "engine/support/application_exception.h"
#include "rtl/wide_string.h"

TShowExceptionProc ApplicationShowExceptionHook = nullptr;

namespace {

// The executable's file name without folder and extension.
String ProgramTitle() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  String title = FromWide(path, length);
  const size_t slash = title.find_last_of(u"\\/");
  if (slash != String::npos) title.erase(0, slash + 1);
  const size_t dot = title.rfind(u'.');
  if (dot != String::npos && dot > 0) title.erase(dot);
  return title;
}

}  // namespace

void ShowApplicationException(TObject* sender, const Exception& error) {
  if (ApplicationShowExceptionHook != nullptr) {
    ApplicationShowExceptionHook(sender, error);
    return;
  }
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  const String title = ProgramTitle();
  MessageBoxW(nullptr, WideCStr(error.Message()), WideCStr(title), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
