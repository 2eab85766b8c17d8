#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "control_fixtures.h"
#include "slot_recorder.h"
#include "vcl/control_access.h"
#include "vcl/handle_owners.h"
#include "vcl/replaceable.h"
#include "vcl/scrolling_win_control.h"

namespace {

std::map<std::u16string, int>& Calls() { return SlotCalls(); }

// Exposes the protected mouse dispatch.
class DispatchChild : public PaintedChild {
 public:
  using PaintedChild::PaintedChild;
  using PaintedChild::DoMouseDown;
  using PaintedChild::DoMouseUp;
};

struct Scene {
  EventLog log;
  TestHost host{&log, 200, 120};
  DispatchChild* child;
  PaintedWindow* panel;
  Scene() {
    child = new DispatchChild(&host, "child", clRed, Rect(10, 10, 50, 50), &log);
    panel = new PaintedWindow(&host, "panel", clBlue, Rect(100, 10, 180, 90), &log);
    host.Open();
    log.clear();
  }
  LRESULT SendToHost(UINT msg, WPARAM w, int x, int y) {
    return SendMessageW(host.Handle(), msg, w, MAKELPARAM(x, y));
  }
};

struct SlotCase {
  const char16_t* slot;
  // The class method, then a framework call that needs the operation.
  std::function<void(Scene&)> method;
  std::function<void(Scene&)> internal;
};

TEST(ControlSlots, EachSlotServesItsMethodAndTheFrameworksOwnCalls) {
  Recording<&InvalidateControlSlot> r1;
  Recording<&SetBoundsSlot> r2;
  Recording<&ResizeSlot> r3;
  Recording<&GetBoundsRectSlot> r4;
  Recording<&SetBoundsRectSlot> r5;
  Recording<&GetClientOriginSlot> r6;
  Recording<&ClientToScreenSlot> r7;
  Recording<&ScreenToClientSlot> r8;
  Recording<&ParentToClientSlot> r9;
  Recording<&ClientToParentSlot> r10;
  Recording<&ControlWMMouseMoveSlot> r11;
  Recording<&ControlWMLButtonUpSlot> r12;
  Recording<&DoMouseDownSlot> r13;
  Recording<&DoMouseUpSlot> r14;
  Recording<&ControlCMMouseWheelSlot> r15;
  Recording<&WinControlWMWindowPosChangingSlot> r16;
  Recording<&WinControlWMSetCursorSlot> r17;
  Recording<&WinControlWndProcSlot> r18;
  Recording<&UpdateAnchorRulesSlot> r19;
  Recording<&RequestAlignSlot> r20;
  Recording<&ConstrainedResizeSlot> r21;
  Recording<&ScrollingAdjustClientRectSlot> r22;

  const SlotCase cases[] = {
      {u"TControl.InvalidateControl", [](Scene& s) { s.child->InvalidateControl(true, false); },
       [](Scene& s) { s.child->Invalidate(); }},
      {u"TControl.SetBounds", [](Scene& s) { s.child->SetBounds(11, 10, 40, 40); },
       [](Scene& s) { s.child->SetBoundsRect(Rect(12, 10, 52, 50)); }},
      {u"TControl.Resize", [](Scene& s) { s.child->Resize(); }, [](Scene& s) { s.child->SetWidth(41); }},
      {u"TControl.GetBoundsRect", [](Scene& s) { s.child->BoundsRect(); },
       [](Scene& s) { s.host.PaintControls(TWindowDC(s.host.Handle()).Handle(), nullptr); }},
      {u"TControl.SetBoundsRect", [](Scene& s) { s.child->SetBoundsRect(Rect(10, 10, 50, 50)); }, nullptr},
      {u"TControl.GetClientOrigin", [](Scene& s) { s.child->ClientOrigin(); },
       [](Scene& s) { s.child->ClientToScreen({0, 0}); }},
      {u"TControl.ClientToScreen", [](Scene& s) { s.child->ClientToScreen({0, 0}); }, nullptr},
      {u"TControl.ScreenToClient", [](Scene& s) { s.child->ScreenToClient({0, 0}); },
       [](Scene& s) {
         SendMessageW(s.host.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(s.host.Handle()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
       }},
      {u"TControl.ParentToClient", [](Scene& s) { s.child->ParentToClient({0, 0}); }, nullptr},
      {u"TControl.ClientToParent", [](Scene& s) { s.child->ClientToParent({0, 0}); }, nullptr},
      {u"TControl.WMMouseMove", [](Scene& s) { s.child->Perform(WM_MOUSEMOVE, 0, 0); },
       [](Scene& s) { s.SendToHost(WM_MOUSEMOVE, 0, 20, 20); }},
      {u"TControl.WMLButtonUp", [](Scene& s) { s.child->Perform(WM_LBUTTONUP, 0, 0); },
       [](Scene& s) { s.SendToHost(WM_LBUTTONUP, 0, 20, 20); }},
      {u"TControl.DoMouseDown",
       [](Scene& s) {
         TMessage m{WM_LBUTTONDOWN, 0, 0, 0};
         s.child->DoMouseDown(m, mbLeft, {});
       },
       [](Scene& s) {
         s.SendToHost(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
         s.SendToHost(WM_LBUTTONUP, 0, 20, 20);
       }},
      {u"TControl.DoMouseUp",
       [](Scene& s) {
         TMessage m{WM_LBUTTONUP, 0, 0, 0};
         s.child->DoMouseUp(m, mbLeft);
       },
       [](Scene& s) { s.SendToHost(WM_RBUTTONUP, 0, 20, 20); }},
      {u"TControl.CMMouseWheel", [](Scene& s) { s.child->Perform(CM_MOUSEWHEEL, 0, 0); },
       [](Scene& s) { SendMessageW(s.panel->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0); }},
      {u"TWinControl.WMWindowPosChanging", nullptr, [](Scene& s) { s.panel->SetBounds(101, 10, 80, 80); }},
      {u"TWinControl.WMSetCursor",
       [](Scene& s) {
         s.panel->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(s.panel->Handle()), MAKELPARAM(HTCLIENT, 0));
       },
       [](Scene& s) {
         SendMessageW(s.panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(s.panel->Handle()),
                      MAKELPARAM(HTCLIENT, 0));
       }},
      {u"TWinControl.WndProc", [](Scene& s) { s.panel->Perform(CM_INVALIDATE, 0, 0); },
       [](Scene& s) { SendMessageW(s.panel->Handle(), WM_NULL, 0, 0); }},
      {u"TControl.UpdateAnchorRules", [](Scene& s) { s.child->UpdateAnchorRules(); },
       [](Scene& s) { s.child->SetAnchors({akRight, akBottom}); }},
      {u"TControl.RequestAlign", [](Scene& s) { s.child->RequestAlign(); },
       [](Scene& s) { s.child->SetAlign(alTop); }},
      {u"TControl.ConstrainedResize",
       [](Scene& s) {
         int32_t a = 0, b = 0, c = 0, d = 0;
         s.child->ConstrainedResize(a, b, c, d);
       },
       [](Scene& s) { s.panel->SetBounds(100, 10, 60, 60); }},
      {u"TScrollingWinControl.AdjustClientRect",
       [](Scene&) {
         TScrollingWinControl scroller(nullptr);
         TRect rect;
         scroller.AdjustClientRect(rect);
       },
       [](Scene& s) {
         auto* scroller = new TScrollingWinControl(nullptr);
         scroller->SetParent(&s.host);
         scroller->SetBounds(0, 0, 30, 30);
       }},
  };
  for (const SlotCase& c : cases) {
    const std::pair<const char*, const std::function<void(Scene&)>*> calls[] = {{"method", &c.method},
                                                                                {"internal", &c.internal}};
    for (const auto& [kind, call] : calls) {
      if (!*call) continue;
      Scene scene;
      Calls().clear();
      (*call)(scene);
      EXPECT_GT(Calls()[c.slot], 0) << StringToUtf8(c.slot) << " (" << kind << ")";
    }
  }
}

TEST(ControlSlots, RestoredSlotsHoldTheFrameworksOwnFunctions) {
  {
    Recording<&InvalidateControlSlot> recording;
    EXPECT_TRUE(InvalidateControlSlot.Replaced());
  }
  EXPECT_FALSE(InvalidateControlSlot.Replaced());
  EXPECT_EQ(InvalidateControlSlot.Current(), &DefaultInvalidateControl);
  {
    Recording<&UpdateAnchorRulesSlot> r1;
    Recording<&RequestAlignSlot> r2;
    Recording<&ConstrainedResizeSlot> r3;
    Recording<&ScrollingAdjustClientRectSlot> r4;
  }
  EXPECT_EQ(UpdateAnchorRulesSlot.Current(), &DefaultUpdateAnchorRules);
  EXPECT_EQ(RequestAlignSlot.Current(), &DefaultRequestAlign);
  EXPECT_EQ(ConstrainedResizeSlot.Current(), &DefaultConstrainedResize);
  EXPECT_EQ(ScrollingAdjustClientRectSlot.Current(), &DefaultScrollingAdjustClientRect);
}

// A replacement of the window procedure that takes the mouse messages itself
// still reaches the rest of the framework's steps.
void OwnMouseWndProc(TWinControl& window, TMessage& message) {
  if (message.Msg == WM_LBUTTONDOWN) {
    ++Calls()[u"own mouse"];
    TControlAccess::ControlWndProc(window, message);
    return;
  }
  WinControlWndProcSlot.Original()(window, message);
}

TEST(ControlSlots, AWindowProcedureReplacementUsesTheSteps) {
  Scene scene;
  ASSERT_TRUE(WinControlWndProcSlot.Replace(&OwnMouseWndProc));
  Calls().clear();
  scene.SendToHost(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  scene.SendToHost(WM_LBUTTONUP, 0, 20, 20);
  scene.SendToHost(WM_MOUSEMOVE, 0, 20, 20);
  WinControlWndProcSlot.Restore();
  EXPECT_EQ(Calls()[u"own mouse"], 1);
  // The press stayed with the host (which took the capture and so the
  // release); the move went the framework's way to the child.
  EXPECT_EQ(scene.log, (EventLog{"child:enter", "child:move 10,10"}));
}

}  // namespace
