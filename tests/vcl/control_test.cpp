#include "vcl/control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "control_fixtures.h"
#include "rtl/reader.h"
#include "rtl/streams.h"
#include "rtl/writer.h"
#include "vcl/application_hooks.h"
#include "vcl/win_control.h"

namespace {

struct ErrorRecorder {
  ErrorRecorder() {
    errors().clear();
    ApplicationErrorHook = [](TObject*, const Exception& e) { errors().push_back(StringToUtf8(e.Message())); };
  }
  ~ErrorRecorder() { ApplicationErrorHook = nullptr; }
  static std::vector<std::string>& errors() {
    static std::vector<std::string> list;
    return list;
  }
};

TEST(ControlParent, RefusesItselfAndItsDescendantsWithTheStateUnchanged) {
  TestHost host;
  auto* outer = new PaintedWindow(&host, "Outer", clRed, Rect(0, 0, 50, 50), nullptr);
  auto* inner = new PaintedWindow(outer, "Inner", clRed, Rect(0, 0, 20, 20), nullptr);
  for (TWinControl* bad : {static_cast<TWinControl*>(outer), static_cast<TWinControl*>(inner)}) {
    try {
      outer->SetParent(bad);
      FAIL() << "a loop in the parent chain was accepted";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), u"A control cannot have itself as its parent");
    }
    EXPECT_EQ(outer->Parent(), &host);
    EXPECT_TRUE(host.ContainsControl(inner));
  }
}

TEST(ControlParent, NoParentWindowAndForeignAncestorErrors) {
  TestHost host;
  TestHost other;
  auto* child = new PaintedChild(&host, "Lonely", clRed, Rect(5, 6, 10, 10), nullptr);
  child->SetParent(nullptr);
  std::unique_ptr<TControl, TFreeObject> owned(child);
  try {
    child->ClientOrigin();
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Control 'Lonely' has no parent window");
  }
  child->SetParent(&host);
  owned.release();
  try {
    child->ParentToClient({0, 0}, &other);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Parent given is not a parent of 'Lonely'");
  }
}

TEST(ControlGeometry, ConversionsThroughNestedParents) {
  TestHost host;
  host.Open();
  auto* panel = new PaintedWindow(&host, "Panel", clRed, Rect(10, 20, 110, 120), nullptr);
  auto* child = new PaintedChild(panel, "Child", clBlue, Rect(5, 7, 25, 27), nullptr);
  EXPECT_EQ(child->ParentToClient({15, 17}), (TPoint{10, 10}));
  EXPECT_EQ(child->ParentToClient({25, 37}, &host), (TPoint{10, 10}));
  EXPECT_EQ(child->ClientToParent({10, 10}, &host), (TPoint{25, 37}));
  // The screen: the host window sits at (40, 40).
  EXPECT_EQ(child->ClientOrigin(), (TPoint{40 + 10 + 5, 40 + 20 + 7}));
  EXPECT_EQ(child->ClientToScreen({1, 2}), (TPoint{56, 69}));
  EXPECT_EQ(child->ScreenToClient({56, 69}), (TPoint{1, 2}));
  EXPECT_EQ(child->BoundsRect(), Rect(5, 7, 25, 27));
  EXPECT_EQ(child->ClientRect(), Rect(0, 0, 20, 20));
}

// Counts the notifications it is given.
struct NotifyCounter : TObject {
  int count = 0;
  void Notify(TObject*) { ++count; }
};

TEST(ControlGeometry, WindowedBoundsFollowTheWindow) {
  TestHost host;
  host.Open();
  auto* panel = new PaintedWindow(&host, "Panel", clRed, Rect(10, 10, 60, 60), nullptr);
  NotifyCounter resized;
  panel->OnResize = MakeEvent<&NotifyCounter::Notify>(&resized);
  ASSERT_TRUE(panel->HandleAllocated());
  panel->SetBounds(20, 30, 70, 40);
  RECT rect{};
  GetWindowRect(panel->Handle(), &rect);
  EXPECT_EQ(rect.left - 40, 20);
  EXPECT_EQ(rect.bottom - rect.top, 40);
  EXPECT_EQ(panel->BoundsRect(), Rect(20, 30, 90, 70));
  EXPECT_EQ(resized.count, 1);
  // A move by the system is seen too; a move alone is no resize.
  SetWindowPos(panel->Handle(), nullptr, 1, 2, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  EXPECT_EQ(panel->BoundsRect(), Rect(1, 2, 71, 42));
  EXPECT_EQ(resized.count, 1);
}

TEST(ControlText, CaptionFollowsTheNameWhileEqual) {
  TestHost host;
  auto* child = new PaintedChild(&host, "First", clRed, Rect(0, 0, 5, 5), nullptr);
  EXPECT_EQ(child->Caption(), u"First");
  child->SetName(u"Second");
  EXPECT_EQ(child->Caption(), u"Second");
  child->SetCaption(u"Own text");
  child->SetName(u"Third");
  EXPECT_EQ(child->Caption(), u"Own text");

  // A windowed control keeps its text across a new window.
  auto* panel = new PaintedWindow(&host, "Panel", clRed, Rect(0, 0, 5, 5), nullptr);
  panel->SetCaption(u"Kept");
  host.Open();
  wchar_t text[16] = {};
  GetWindowTextW(panel->Handle(), text, 16);
  EXPECT_STREQ(text, L"Kept");
  SetWindowTextW(panel->Handle(), L"Typed");
  panel->RecreateWnd();
  EXPECT_EQ(panel->Caption(), u"Typed");
}

TEST(ControlInheritance, ColourFontAndHintComeFromTheParentUntilSet) {
  TestHost host;
  host.SetColor(clYellow);
  host.Font().SetSize(14);
  host.SetShowHint(true);
  auto* child = new PaintedChild(&host, "Child", clRed, Rect(0, 0, 5, 5), nullptr);
  EXPECT_EQ(child->Color(), clYellow);
  EXPECT_EQ(child->Font().Size(), 14);
  EXPECT_TRUE(child->ShowHint());
  EXPECT_TRUE(child->ParentColor());

  host.SetColor(clLime);
  EXPECT_EQ(child->Color(), clLime);
  child->SetColor(clAqua);
  EXPECT_FALSE(child->ParentColor());
  host.SetColor(clNavy);
  EXPECT_EQ(child->Color(), clAqua);
  child->SetParentColor(true);
  EXPECT_EQ(child->Color(), clNavy);

  child->Font().SetSize(9);
  EXPECT_FALSE(child->ParentFont());
  host.Font().SetSize(20);
  EXPECT_EQ(child->Font().Size(), 9);
}

// Refuses to go while its flag is up, as a control inside its own handler does.
class GuardedChild : public PaintedChild {
 public:
  using PaintedChild::PaintedChild;
  bool busy = false;
  void BeforeDestruction() override {
    PaintedChild::BeforeDestruction();
    if (busy) throw EInvalidOperation(u"busy");
  }
};

TEST(ControlLifetime, ARefusedFreeLeavesTheWholeTreeAlive) {
  auto* host = CreateObject<TestHost>();
  auto* guarded = new GuardedChild(host, "Guarded", clRed, Rect(0, 0, 5, 5), nullptr);
  guarded->busy = true;
  EXPECT_THROW(Free(host), EInvalidOperation);
  ASSERT_EQ(host->ControlCount(), 1);
  EXPECT_EQ(host->Controls(0), guarded);
  EXPECT_THROW(Free(guarded), EInvalidOperation);
  guarded->busy = false;
  Free(host);
}

TEST(ControlLifetime, ConstructionCompletesThroughAfterConstruction) {
  struct Counted : TWinControl {
    using TWinControl::TWinControl;
    int completed = 0;
    void AfterConstruction() override { ++completed; }
  };
  std::unique_ptr<Counted, TFreeObject> control(CreateObject<Counted>(nullptr));
  EXPECT_EQ(control->completed, 1);
}

TEST(WindowBinding, FindControlKnowsOnlyOurWindows) {
  TestHost host;
  host.Open();
  EXPECT_EQ(FindControl(host.Handle()), &host);
  EXPECT_EQ(FindControl(nullptr), nullptr);
  // A window of this process made without the framework.
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(FindControl(plain), nullptr);
  DestroyWindow(plain);
  // The desktop belongs to another process.
  EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr);
  // Another thread gets the same answer.
  TWinControl* seen = nullptr;
  std::thread([&] { seen = FindControl(host.Handle()); }).join();
  EXPECT_EQ(seen, &host);

  HWND window = host.Handle();
  host.RecreateWnd();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FindControl(host.Handle()), &host);
}

TEST(WindowBinding, ANativeClassIsSubclassed) {
  struct NativeButton : TWinControl {
    using TWinControl::TWinControl;
    void CreateParams(TCreateParams& params) override {
      TWinControl::CreateParams(params);
      CreateSubClass(params, L"BUTTON");
      params.Style |= BS_PUSHBUTTON;
    }
  };
  TestHost host;
  auto* button = new NativeButton(&host);
  button->SetBounds(10, 10, 80, 24);
  button->SetCaption(u"Push");
  button->SetParent(&host);
  host.Open();
  // The native procedure answers: a push button tells its kind.
  EXPECT_EQ(SendMessageW(button->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON, DLGC_UNDEFPUSHBUTTON);
  EXPECT_EQ(FindControl(button->Handle()), button);
  EXPECT_EQ(button->Caption(), u"Push");
}

// Raises from its click handler.
class FailingChild : public PaintedChild {
 public:
  using PaintedChild::PaintedChild;
  bool abort = false;
  void Click() override {
    if (abort) throw EAbort(u"quiet");
    throw EConvertError(u"bad click");
  }
};

TEST(WindowProcedure, ErrorsGoToTheApplicationHookAndNeverUnwindThroughTheSystem) {
  ErrorRecorder recorder;
  TestHost host;
  auto* child = new FailingChild(&host, "Failing", clRed, Rect(10, 10, 40, 40), nullptr);
  host.Open();
  HWND window = host.Handle();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_EQ(ErrorRecorder::errors(), std::vector<std::string>{"bad click"});
  // The window goes on working, and EAbort is silent.
  child->abort = true;
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  PumpMessages();
  EXPECT_EQ(ErrorRecorder::errors().size(), 1u);
}

TEST(ControlZOrder, BringToFrontAndSendToBackReorderTheWindowlessList) {
  TestHost host;
  auto* a = new PaintedChild(&host, "A", clRed, Rect(0, 0, 5, 5), nullptr);
  auto* b = new PaintedChild(&host, "B", clRed, Rect(0, 0, 5, 5), nullptr);
  auto* c = new PaintedChild(&host, "C", clRed, Rect(0, 0, 5, 5), nullptr);
  a->BringToFront();
  EXPECT_EQ(host.Controls(0), b);
  EXPECT_EQ(host.Controls(2), a);
  c->SendToBack();
  EXPECT_EQ(host.Controls(0), c);
  EXPECT_EQ(host.Controls(1), b);
}


// Changes 'a' to 'b' and swallows 'x' on its way into a native edit box.
class FilteringEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void KeyPress(char16_t& key) override {
    if (key == u'a') key = u'b';
    if (key == u'x') key = 0;
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"EDIT");
    params.Style |= ES_AUTOHSCROLL;
  }
};

TEST(ControlKeyboard, KeyPressChangesOrSwallowsCharacters) {
  TestHost host;
  auto* edit = new FilteringEdit(&host);
  edit->SetBounds(5, 5, 100, 20);
  edit->SetParent(&host);
  host.Open();
  for (wchar_t c : {L'a', L'x', L'c'}) SendMessageW(edit->Handle(), WM_CHAR, c, 1);
  wchar_t text[16] = {};
  GetWindowTextW(edit->Handle(), text, 16);
  EXPECT_STREQ(text, L"bc");
  EXPECT_EQ(edit->Caption(), u"bc");
}

TEST(ControlPaint, AWindowlessMoveTellsTheControlAndEraseSkipsOpaqueCover) {
  struct PosRecorder : PaintedChild {
    using PaintedChild::PaintedChild;
    int changed = 0;
    void WMWindowPosChanged(TMessage& message) override {
      if (message.WParam == 0 && message.LParam == 0) ++changed;
    }
  };
  EventLog log;
  TestHost host(&log, 100, 60);
  auto* cover = new PaintedChild(&host, "cover", clBlue, Rect(0, 0, 100, 60), &log);
  auto* moving = new PosRecorder(&host, "moving", clRed, Rect(10, 10, 20, 20), &log);
  host.Open();
  moving->SetBounds(20, 10, 10, 10);
  EXPECT_EQ(moving->changed, 1);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(host.Handle(), &update, FALSE));
  EXPECT_EQ(update.left, 10);
  EXPECT_EQ(update.right, 30);
  // The opaque cover below leaves nothing to erase, so the window gets no
  // erase when it paints; without it, it does.
  UpdateWindow(host.Handle());
  cover->SetControlStyle(cover->ControlStyle() + TControlStyle{csOpaque});
  log.clear();
  moving->SetLeft(30);
  UpdateWindow(host.Handle());
  EXPECT_EQ(std::count(log.begin(), log.end(), "host:erase"), 0);
  cover->SetControlStyle(cover->ControlStyle() - TControlStyle{csOpaque});
  log.clear();
  moving->SetLeft(40);
  UpdateWindow(host.Handle());
  EXPECT_EQ(std::count(log.begin(), log.end(), "host:erase"), 1);
}

TEST(ControlPaint, DoubleBufferingIsInheritedUntilSet) {
  TestHost host;
  auto* panel = new PaintedWindow(&host, "panel", clRed, Rect(0, 0, 50, 50), nullptr);
  auto* inner = new PaintedWindow(panel, "inner", clRed, Rect(0, 0, 20, 20), nullptr);
  host.SetDoubleBuffered(true);
  EXPECT_TRUE(panel->DoubleBuffered());
  EXPECT_TRUE(inner->DoubleBuffered());
  panel->SetDoubleBuffered(false);
  EXPECT_FALSE(panel->ParentDoubleBuffered());
  EXPECT_FALSE(inner->DoubleBuffered());
  panel->SetParentDoubleBuffered(true);
  EXPECT_TRUE(inner->DoubleBuffered());
}


TEST(ControlStreaming, ChildrenStreamInsideTheirParentsAndComeBackParented) {
  RegisterClasses({&TGraphicControl::StaticClass(), &TCustomControl::StaticClass()});
  TMemoryStream stream;
  {
    TestHost host;
    auto* panel = new TCustomControl(&host);
    panel->SetName(u"Panel");
    panel->SetBounds(10, 20, 100, 50);
    panel->SetParent(&host);
    auto* dot = new TGraphicControl(&host);  // owned by the host, inside the panel
    dot->SetName(u"Dot");
    dot->SetBounds(3, 4, 5, 6);
    dot->SetParent(panel);
    TWriter(stream).WriteRootComponent(host);
  }
  stream.SetPosition(0);
  TestHost back;
  back.SetColor(clYellow);
  TReader(stream).ReadRootComponent(back);
  auto* panel = ObjectAs<TCustomControl>(back.FindComponent(u"Panel"));
  auto* dot = ObjectAs<TGraphicControl>(back.FindComponent(u"Dot"));
  ASSERT_TRUE(panel && dot);
  EXPECT_EQ(panel->Parent(), &back);
  EXPECT_EQ(dot->Parent(), panel);
  EXPECT_EQ(dot->GetParentComponent(), panel);
  EXPECT_EQ(dot->BoundsRect(), Rect(3, 4, 8, 10));
  EXPECT_EQ(panel->BoundsRect(), Rect(10, 20, 110, 70));
  EXPECT_EQ(dot->Color(), clYellow) << "the colour comes down the read tree";
}


TEST(ControlState, ShowingFollowsTheParentsAndHiddenWindowsStayHidden) {
  TestHost host;
  auto* panel = new PaintedWindow(&host, "panel", clRed, Rect(0, 0, 50, 50), nullptr);
  auto* inner = new PaintedWindow(panel, "inner", clRed, Rect(0, 0, 20, 20), nullptr);
  panel->Hide();
  host.Open();
  EXPECT_TRUE(host.Showing());
  EXPECT_FALSE(panel->Showing());
  EXPECT_FALSE(inner->Showing());
  EXPECT_FALSE(inner->HandleAllocated()) << "a window nobody shows is not made";
  panel->Show();
  EXPECT_TRUE(inner->Showing());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  panel->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(panel->Handle()));
  EXPECT_FALSE(inner->CanFocus());
}

TEST(ControlFocus, TabOrderAndFocus) {
  TestHost host;
  auto* first = new PaintedWindow(&host, "first", clRed, Rect(0, 0, 20, 20), nullptr);
  auto* second = new PaintedWindow(&host, "second", clRed, Rect(30, 0, 20, 20), nullptr);
  EXPECT_EQ(first->TabOrder(), 0);
  second->SetTabOrder(0);
  EXPECT_EQ(first->TabOrder(), 1);
  host.Open();
  second->SetFocus();
  EXPECT_TRUE(second->Focused());
  EXPECT_FALSE(first->Focused());
}

TEST(ControlFont, DesktopFontIsTheSystemsMessageFont) {
  TestHost host;
  auto* child = new PaintedChild(&host, "child", clRed, Rect(0, 0, 5, 5), nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  child->SetDesktopFont(true);
  EXPECT_TRUE(child->DesktopFont());
  EXPECT_EQ(child->Font().Name(), String(reinterpret_cast<const char16_t*>(metrics.lfMessageFont.lfFaceName)));
  EXPECT_EQ(child->Font().Height(), metrics.lfMessageFont.lfHeight);
}

}  // namespace
