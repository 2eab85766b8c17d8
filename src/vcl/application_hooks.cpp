#include "vcl/application_hooks.h"

#include "rtl/wide_string.h"

namespace {

void ReportError(TObject* sender, const Exception& error) {
  if (ApplicationErrorHook) {
    ApplicationErrorHook(sender, error);
  } else {
    OutputDebugStringW(WideCStr(String(error.ClassName()) + u": " + error.Message()));
  }
}

}  // namespace

TApplicationErrorHandler ApplicationErrorHook = nullptr;
THintMouseMessageHook HintMouseMessageHook = nullptr;
TCursorHandleHook CursorHandleHook = &SystemCursorHandle;

void HandleApplicationError(TObject* sender, std::exception_ptr error) noexcept {
  try {
    try {
      std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
      ReportError(sender, e);
    } catch (const std::exception& e) {
      ReportError(sender, Exception(Utf8ToString(e.what())));
    } catch (...) {
      ReportError(sender, Exception(u"Unknown error"));
    }
  } catch (...) {
    // The display itself failed: nothing may unwind into the system's frames.
    OutputDebugStringW(L"Error while showing an error");
  }
}
