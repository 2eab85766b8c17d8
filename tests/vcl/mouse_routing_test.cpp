#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "vcl/application_hooks.h"
#include "vcl/replaceable.h"

namespace {

// A host with two windowless children side by side, opened and quiet.
struct MouseScene {
  EventLog log;
  TestHost host{&log, 200, 100};
  PaintedChild* a;
  PaintedChild* b;
  HWND window;
  MouseScene() {
    a = new PaintedChild(&host, "a", clRed, Rect(10, 10, 60, 60), &log);
    b = new PaintedChild(&host, "b", clBlue, Rect(100, 10, 150, 60), &log);
    host.Open();
    window = host.Handle();
    PumpMessages();
    log.clear();
  }
  void Send(UINT msg, WPARAM keys, int x, int y) { SendMessageW(window, msg, keys, MAKELPARAM(x, y)); }
  // The log without the mouse moves.
  EventLog WithoutMoves() const {
    EventLog out;
    for (const auto& entry : log) {
      if (entry.find(":move") == std::string::npos) out.push_back(entry);
    }
    return out;
  }
};

TEST(MouseRouting, MessagesReachTheChildUnderTheMouseInItsCoordinates) {
  MouseScene scene;
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 25);
  scene.Send(WM_LBUTTONUP, 0, 21, 26);
  scene.Send(WM_RBUTTONDOWN, MK_RBUTTON, 110, 20);
  // The click comes before the release event, as the framework has it.
  EXPECT_EQ(scene.log, (EventLog{"a:down 10,15", "a:click", "a:up 11,16", "b:downR 10,10"}));
  // Nothing there: the host itself.
  scene.log.clear();
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 80, 80);
  scene.Send(WM_LBUTTONUP, 0, 80, 80);
  EXPECT_TRUE(scene.log.empty());
}

TEST(MouseRouting, CaptureHoldsAcrossADragThatLeavesTheControl) {
  MouseScene scene;
  scene.Send(WM_MOUSEMOVE, 0, 20, 20);
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  EXPECT_EQ(GetCaptureControl(), scene.a);
  EXPECT_EQ(GetCapture(), scene.window);
  // Over b and even outside the window: still a's, in a's coordinates.
  scene.Send(WM_MOUSEMOVE, MK_LBUTTON, 120, 20);
  scene.Send(WM_MOUSEMOVE, MK_LBUTTON, 250, 150);
  // Released outside a: no click, the capture ends, and now a is left.
  scene.Send(WM_LBUTTONUP, 0, 250, 150);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(scene.log, (EventLog{"a:enter", "a:move 10,10", "a:down 10,10", "a:move 110,10", "a:move 240,140",
                                 "a:leave", "a:up 240,140"}));
}

TEST(MouseRouting, CaptureLossAndCancelModeClearTheCaptureControl) {
  for (UINT ending : {static_cast<UINT>(WM_CANCELMODE), static_cast<UINT>(WM_CAPTURECHANGED)}) {
    MouseScene scene;
    scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    ASSERT_EQ(GetCaptureControl(), scene.a);
    if (ending == WM_CAPTURECHANGED) {
      ReleaseCapture();  // the system tells the window
    } else {
      SendMessageW(scene.window, WM_CANCELMODE, 0, 0);
    }
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST(MouseRouting, EnterAndLeaveInOrderForChildrenAndTheWindow) {
  MouseScene scene;
  scene.b->SetEnabled(false);  // disabled controls still see enter and leave
  EventLog host_events;
  struct HostRecorder : TObject {
    EventLog* log;
    void Enter(TObject*) { log->push_back("host:enter"); }
    void Leave(TObject*) { log->push_back("host:leave"); }
  } recorder;
  recorder.log = &scene.log;
  scene.host.OnMouseEnter = MakeEvent<&HostRecorder::Enter>(&recorder);
  scene.host.OnMouseLeave = MakeEvent<&HostRecorder::Leave>(&recorder);

  scene.Send(WM_MOUSEMOVE, 0, 80, 80);
  scene.Send(WM_MOUSEMOVE, 0, 20, 20);
  scene.Send(WM_MOUSEMOVE, 0, 30, 30);
  scene.Send(WM_MOUSEMOVE, 0, 120, 20);
  SendMessageW(scene.window, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(scene.WithoutMoves(),
            (EventLog{"host:enter", "host:leave", "a:enter", "a:leave", "b:enter", "b:leave"}));
  // A disabled control gets no button messages: they go to the host.
  scene.log.clear();
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 120, 20);
  scene.Send(WM_LBUTTONUP, 0, 120, 20);
  EXPECT_TRUE(scene.WithoutMoves().empty());
}

TEST(MouseRouting, ADoubleClickReachesAWindowlessChild) {
  MouseScene scene;
  EXPECT_TRUE(GetClassLongPtrW(scene.window, GCL_STYLE) & CS_DBLCLKS);
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  scene.Send(WM_LBUTTONUP, 0, 20, 20);
  scene.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 20, 20);
  scene.Send(WM_LBUTTONUP, 0, 20, 20);
  EXPECT_EQ(scene.log, (EventLog{"a:down 10,10", "a:click", "a:up 10,10", "a:dblclick", "a:down2 10,10",
                                 "a:up 10,10"}));
  // Without csDoubleClicks the second press is a plain one.
  scene.log.clear();
  scene.a->SetControlStyle(scene.a->ControlStyle() - TControlStyle{csDoubleClicks});
  scene.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 20, 20);
  EXPECT_EQ(scene.log, (EventLog{"a:down 10,10"}));
  scene.Send(WM_LBUTTONUP, 0, 20, 20);
}

TEST(MouseRouting, PostedClicksGoThroughTheMessageLoop) {
  MouseScene scene;
  PostMessageW(scene.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 30));
  PostMessageW(scene.window, WM_LBUTTONUP, 0, MAKELPARAM(120, 30));
  PumpMessages();
  EXPECT_EQ(scene.WithoutMoves(), (EventLog{"b:down 20,20", "b:click", "b:up 20,20"}));
}

TEST(MouseRouting, TheWheelBubblesUpUntilSomeoneHandlesIt) {
  EventLog log;
  TestHost host(&log, 200, 100);
  auto* panel = new PaintedWindow(&host, "panel", clLime, Rect(0, 0, 150, 100), &log);
  auto* child = new PaintedChild(panel, "child", clRed, Rect(10, 10, 60, 60), &log);
  host.Open();
  log.clear();
  const TPoint screen = child->ClientToScreen({5, 5});
  auto wheel = [&] {
    SendMessageW(panel->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(screen.X, screen.Y));
  };
  wheel();
  EXPECT_EQ(log, (EventLog{"child:wheel -120", "panel:wheel -120"}));
  log.clear();
  child->handles_wheel = true;
  wheel();
  EXPECT_EQ(log, (EventLog{"child:wheel -120"}));
}

TEST(MouseRouting, SetCursorShowsTheCursorOfTheControlUnderTheMouse) {
  MouseScene scene;
  scene.a->SetCursor(crHandPoint);
  static TCursor asked = crDefault;
  CursorHandleHook = [](TCursor cursor) {
    asked = cursor;
    return SystemCursorHandle(cursor);
  };
  const TPoint over_a = scene.a->ClientToScreen({5, 5});
  SetCursorPos(over_a.X, over_a.Y);
  EXPECT_EQ(SendMessageW(scene.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(scene.window),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            1);
  EXPECT_EQ(asked, crHandPoint);
  CursorHandleHook = &SystemCursorHandle;
  SetCursorPos(900, 700);  // away from the windows of the other tests
}

// Answers CM_HITTEST with a fixed value.
class HitTestChild : public PaintedChild {
 public:
  using PaintedChild::PaintedChild;
  LRESULT answer = 1;

 protected:
  void CMHitTest(TMessage& message) override { message.Result = answer; }
};

TEST(MouseRouting, HitTestDecidesWhoTakesTheMouse) {
  EventLog log;
  TestHost host(&log, 100, 100);
  auto* below = new PaintedChild(&host, "below", clRed, Rect(0, 0, 50, 50), &log);
  auto* above = new HitTestChild(&host, "above", clBlue, Rect(0, 0, 50, 50), &log);
  host.Open();
  EXPECT_EQ(host.ControlAtPos({10, 10}, false), above);
  above->answer = 0;
  EXPECT_EQ(host.ControlAtPos({10, 10}, false), below);
  // A window whose own hit test lets the point through says so to the system.
  struct Transparent : TWinControl {
    using TWinControl::TWinControl;
    void CMHitTest(TMessage& message) override { message.Result = -1; }
  };
  auto* glass = new Transparent(&host);
  glass->SetBounds(60, 60, 30, 30);
  glass->SetParent(&host);
  const TPoint p = glass->ClientToScreen({5, 5});
  EXPECT_EQ(SendMessageW(glass->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y)), HTTRANSPARENT);
}


TEST(MouseRouting, ControlAtPosDescendsIntoWindowsWhenAsked) {
  TestHost host(nullptr, 200, 100);
  auto* panel = new PaintedWindow(&host, "panel", clLime, Rect(50, 10, 150, 90), nullptr);
  auto* child = new PaintedChild(panel, "child", clRed, Rect(10, 10, 30, 30), nullptr);
  host.Open();
  EXPECT_EQ(host.ControlAtPos({65, 25}, false), nullptr);
  EXPECT_EQ(host.ControlAtPos({65, 25}, false, true), panel);
  EXPECT_EQ(host.ControlAtPos({65, 25}, false, true, true), child);
  EXPECT_EQ(host.ControlAtPos({55, 15}, false, true, true), panel);
  EXPECT_EQ(FindVCLWindow(panel->ClientToScreen({1, 1})), panel);
  EXPECT_EQ(FindVCLWindow(host.ClientToScreen({1, 1})), &host);
}


// Answers the activation and context events of a window.
struct WindowEvents : TObject {
  TPoint popup_at{-5, -5};
  void Activate(TObject*, TMouseButton button, TShiftState, int32_t, int32_t, int32_t hit_test,
                TMouseActivate& answer) {
    if (button == mbRight && hit_test == HTCLIENT) answer = maNoActivateAndEat;
  }
  void Popup(TObject*, TPoint pos, bool& handled) {
    popup_at = pos;
    handled = true;
  }
};

TEST(MouseRouting, MouseActivationAndContextPopupAskTheControl) {
  TestHost host(nullptr, 200, 100);
  auto* panel = new PaintedWindow(&host, "panel", clLime, Rect(50, 10, 150, 90), nullptr);
  host.Open();
  WindowEvents events;
  panel->OnMouseActivate = MakeEvent<&WindowEvents::Activate>(&events);
  panel->OnContextPopup = MakeEvent<&WindowEvents::Popup>(&events);
  HWND top = host.Handle();
  EXPECT_EQ(SendMessageW(panel->Handle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                         MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN)),
            MA_NOACTIVATEANDEAT);
  const TPoint screen = panel->ClientToScreen({7, 8});
  SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
               MAKELPARAM(screen.X, screen.Y));
  EXPECT_EQ(events.popup_at, (TPoint{7, 8}));
  // From the keyboard the point stays (-1, -1).
  SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(events.popup_at, (TPoint{-1, -1}));
}

}  // namespace
