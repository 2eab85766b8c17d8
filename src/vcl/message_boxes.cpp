#include "vcl/message_boxes.h"

#include "rtl/wide_string.h"
#include "vcl/application_identity.h"

namespace {

constinit TMessageBoxResponder g_responder = nullptr;

int ShowSystemBox(const TMessageBoxRequest& request) {
  return MessageBoxW(request.owner, WideCStr(request.text), WideCStr(request.caption),
                     request.icon | request.buttons | request.defaultButton);
}

// A message that ends in a full stop (or another closing mark) is shown as
// it is; others get one, as the system's own error texts have.
String WithClosingMark(const String& text) {
  if (text.empty()) return text;
  const char16_t last = text.back();
  if (last == u'.' || last == u'!' || last == u'?' || last == u':') return text;
  return text + u'.';
}

}  // namespace

int ShowMessageBox(const TMessageBoxRequest& request) {
  return g_responder ? g_responder(request) : ShowSystemBox(request);
}

ScopedMessageBoxResponder::ScopedMessageBoxResponder(TMessageBoxResponder responder)
    : previous_(g_responder) {
  g_responder = responder;
}

ScopedMessageBoxResponder::~ScopedMessageBoxResponder() { g_responder = previous_; }

void ShowMessage(const String& text) {
  ShowMessageBox({.owner = ApplicationIdentity().handle, .text = text, .caption = ApplicationTitle()});
}

void ShowOwnedWarning(HWND owner, const String& text, const String& caption) {
  ShowMessageBox({.owner = owner, .text = text, .caption = caption, .icon = MB_ICONWARNING});
}

void ShowErrorMessage(HWND owner, const String& text) {
  ShowMessageBox({.owner = owner, .text = text, .caption = u"Error", .icon = MB_ICONERROR});
}

void ShowExceptionMessage(const Exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  ShowMessageBox({.owner = ApplicationIdentity().handle,
                  .text = WithClosingMark(error.Message()),
                  .caption = ApplicationTitle(),
                  .icon = MB_ICONERROR});
}
