#include "vcl/message_boxes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "message_box_recorder.h"
#include "rtl/wide_string.h"
#include "vcl/application_identity.h"

namespace {

struct ScopedIdentity {
  explicit ScopedIdentity(TApplicationIdentity identity) { ApplicationIdentity() = std::move(identity); }
  ~ScopedIdentity() { ApplicationIdentity() = {}; }
};

HWND FakeOwner() { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234)); }

TEST(MessageBoxes, EachKindReachesTheSeamWithItsTextsAndStyle) {
  ScopedIdentity identity({.title = u"Systavo Skin Tool", .handle = FakeOwner()});
  MessageBoxRecorder boxes({IDOK, IDOK, IDOK, IDOK});

  ShowMessage(u"Your computer doesn't have Systavo installed.");
  ShowOwnedWarning(FakeOwner(), u"Make skin failed!", u"Window caption");
  ShowErrorMessage(FakeOwner(), u"\"x\" is an invalid path");
  ShowExceptionMessage(Exception(u"Not find rcc.exe"));

  struct Expected {
    const char16_t* text;
    const char16_t* caption;
    UINT icon;
  };
  const Expected expected[] = {
      {u"Your computer doesn't have Systavo installed.", u"Systavo Skin Tool", 0},
      {u"Make skin failed!", u"Window caption", MB_ICONWARNING},
      {u"\"x\" is an invalid path", u"Error", MB_ICONERROR},
      {u"Not find rcc.exe.", u"Systavo Skin Tool", MB_ICONERROR},
  };
  ASSERT_EQ(boxes.requests.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    const TMessageBoxRequest& r = boxes.requests[i];
    EXPECT_EQ(r.owner, FakeOwner());
    EXPECT_EQ(r.text, expected[i].text);
    EXPECT_EQ(r.caption, expected[i].caption);
    EXPECT_EQ(r.icon, expected[i].icon);
    EXPECT_EQ(r.buttons, UINT(MB_OK));
    EXPECT_EQ(r.defaultButton, UINT(MB_DEFBUTTON1));
  }
}

TEST(MessageBoxes, ErrorDisplayKeepsClosingMarksAndStaysSilentForAbort) {
  MessageBoxRecorder boxes({IDOK, IDOK, IDOK});
  ShowExceptionMessage(EAbort(u"Operation aborted"));
  ShowExceptionMessage(Exception(u"Done."));
  ShowExceptionMessage(Exception(u"Why?"));
  ShowExceptionMessage(Exception(u""));
  ASSERT_EQ(boxes.requests.size(), 3u);
  EXPECT_EQ(boxes.requests[0].text, u"Done.");
  EXPECT_EQ(boxes.requests[1].text, u"Why?");
  EXPECT_EQ(boxes.requests[2].text, u"");
}

TEST(MessageBoxes, WithoutATitleTheExecutableNameCaptionsThePlainBox) {
  MessageBoxRecorder boxes({IDOK});
  ShowMessage(u"hello");
  ASSERT_EQ(boxes.requests.size(), 1u);
  EXPECT_EQ(boxes.requests[0].caption, u"vcl_form_tests");
  EXPECT_EQ(boxes.requests[0].owner, nullptr);
}

TEST(MessageBoxes, TheAnswerOfTheResponderIsReturnedAndTheScopeRestoresThePrevious) {
  MessageBoxRecorder outer({IDIGNORE});
  {
    MessageBoxRecorder inner({IDRETRY});
    EXPECT_EQ(ShowMessageBox({.text = u"inner", .caption = u"c", .icon = 0, .buttons = MB_RETRYCANCEL}), IDRETRY);
  }
  EXPECT_EQ(ShowMessageBox({.text = u"outer", .caption = u"c", .icon = 0, .buttons = MB_OK}), IDIGNORE);
  ASSERT_EQ(outer.requests.size(), 1u);
  EXPECT_EQ(outer.requests[0].text, u"outer");
}

// Without a responder the real box shows with its caption; a second thread
// finds it by that caption and answers it as an outside driver would. The
// driver keeps answering until the box is gone: on a loaded machine the box
// may appear late, or be found before it takes commands.
TEST(MessageBoxes, TheRealBoxCarriesItsCaptionForAnOutsideDriver) {
  std::atomic<bool> found{false};
  std::atomic<bool> answered{false};
  std::thread driver([&found, &answered] {
    for (int attempt = 0; attempt < 2400 && !answered; ++attempt) {  // a minute at most
      if (HWND box = FindWindowW(L"#32770", L"Driver test caption")) {
        found = true;
        PostMessageW(box, WM_COMMAND, IDNO, 0);
      }
      Sleep(25);
    }
  });
  const int answer = ShowMessageBox({.text = u"Answer me", .caption = u"Driver test caption", .icon = 0, .buttons = MB_YESNO});
  answered = true;
  driver.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(answer, IDNO);
}

}  // namespace
