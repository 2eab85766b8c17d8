#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control_fixtures.h"
#include "rtl/reader.h"
#include "rtl/writer.h"
#include "vcl/control_access.h"

namespace {

// A container without window (the layout needs none) and plain children.
struct Layout {
  TCustomControl parent{nullptr};
  Layout(int w = 200, int h = 100) { parent.SetBounds(0, 0, w, h); }
  template <class T>
  T* Add(TRect bounds, TAlign align, TWinControl* in) {
    auto* control = new T(nullptr);
    control->SetParent(in ? in : &parent);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    control->SetAlign(align);
    return control;
  }
  TGraphicControl* Child(TRect bounds, TAlign align = alNone, TWinControl* in = nullptr) {
    return Add<TGraphicControl>(bounds, align, in);
  }
  TCustomControl* Panel(TRect bounds, TAlign align = alNone, TWinControl* in = nullptr) {
    return Add<TCustomControl>(bounds, align, in);
  }
};

std::string Text(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + " " + std::to_string(r.Width()) + "x" +
         std::to_string(r.Height());
}

struct AnchorCase {
  const char* name;
  TAlign align;
  TAnchors anchors;
  // After the parent went from 200 x 100 to 300 x 160, to 100 x 50 (below
  // the original size) and to 0 x 0.
  TRect grown, shrunk, zero;
};

TEST(LayoutAlignAnchors, ParentResizeGrowShrinkAndZeroThenBackRestores) {
  const TRect start = Bounds(20, 10, 50, 30);
  const AnchorCase cases[] = {
      {"left top", alNone, {akLeft, akTop}, start, start, start},
      {"right", alNone, {akRight, akTop}, Bounds(120, 10, 50, 30), Bounds(-80, 10, 50, 30), Bounds(-180, 10, 50, 30)},
      {"bottom", alNone, {akLeft, akBottom}, Bounds(20, 70, 50, 30), Bounds(20, -40, 50, 30), Bounds(20, -90, 50, 30)},
      {"all four", alNone, {akLeft, akTop, akRight, akBottom}, Bounds(20, 10, 150, 90), Bounds(20, 10, 0, 0),
       Bounds(20, 10, 0, 0)},
      // The centre keeps its proportion: 45 of 200, 25 of 100.
      {"none", alNone, {}, Bounds(43, 25, 50, 30), Bounds(-2, -2, 50, 30), Bounds(-25, -15, 50, 30)},
      {"top", alTop, AnchorAlign(alTop), Bounds(0, 0, 300, 30), Bounds(0, 0, 100, 30), Bounds(0, 0, 0, 30)},
      {"bottom aligned", alBottom, AnchorAlign(alBottom), Bounds(0, 130, 300, 30), Bounds(0, 20, 100, 30),
       Bounds(0, -30, 0, 30)},
      {"left", alLeft, AnchorAlign(alLeft), Bounds(0, 0, 50, 160), Bounds(0, 0, 50, 50), Bounds(0, 0, 50, 0)},
      {"right aligned", alRight, AnchorAlign(alRight), Bounds(250, 0, 50, 160), Bounds(50, 0, 50, 50),
       Bounds(-50, 0, 50, 0)},
      {"client", alClient, AnchorAlign(alClient), Bounds(0, 0, 300, 160), Bounds(0, 0, 100, 50), Bounds(0, 0, 0, 0)},
  };
  for (const AnchorCase& c : cases) {
    SCOPED_TRACE(c.name);
    Layout layout;
    TGraphicControl* child = layout.Child(start, c.align);
    child->SetAnchors(c.anchors);
    const TRect placed = child->BoundsRect();
    layout.parent.SetBounds(0, 0, 300, 160);
    EXPECT_EQ(Text(child->BoundsRect()), Text(c.grown));
    layout.parent.SetBounds(0, 0, 100, 50);
    EXPECT_EQ(Text(child->BoundsRect()), Text(c.shrunk));
    layout.parent.SetBounds(0, 0, 0, 0);
    EXPECT_EQ(Text(child->BoundsRect()), Text(c.zero));
    layout.parent.SetBounds(0, 0, 200, 100);
    EXPECT_EQ(Text(child->BoundsRect()), Text(placed)) << "back at the original size";
    EXPECT_EQ(Text(child->ExplicitBounds()), Text(start)) << "the layout never changes the explicit bounds";
  }
}

TEST(LayoutAlignAnchors, LeavingAnAlignmentRestoresTheExplicitBoundsAndTurningSidesSwapsTheSize) {
  Layout layout;
  TGraphicControl* child = layout.Child(Bounds(20, 10, 50, 30), alTop);
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 200, 30));
  child->SetAlign(alLeft);  // a bar 30 high becomes a bar 30 wide
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 30, 100));
  child->SetAlign(alNone);
  EXPECT_EQ(child->BoundsRect(), Bounds(20, 10, 50, 30));
  EXPECT_EQ(child->Anchors(), (TAnchors{akLeft, akTop}));
}

TEST(LayoutAlignment, OrderNestingAndTheControlThatAsksFirst) {
  Layout layout(200, 100);
  // Aligned together, the two top bars sort by the places they were given.
  layout.parent.DisableAlign();
  TGraphicControl* second = layout.Child(Bounds(0, 50, 10, 20), alTop);
  TGraphicControl* first = layout.Child(Bounds(0, 5, 10, 10), alTop);
  layout.parent.EnableAlign();
  TCustomControl* body = layout.Panel(Bounds(0, 0, 10, 10), alClient);
  TGraphicControl* side = layout.Child(Bounds(0, 0, 40, 10), alLeft, body);
  TGraphicControl* fill = layout.Child(Bounds(0, 0, 10, 10), alClient, body);
  TGraphicControl* foot = layout.Child(Bounds(0, 0, 10, 15), alBottom);
  // Tops in order of their places; bottom before client; inside the client
  // panel its own children.
  EXPECT_EQ(first->BoundsRect(), Bounds(0, 0, 200, 10));
  EXPECT_EQ(second->BoundsRect(), Bounds(0, 10, 200, 20));
  EXPECT_EQ(foot->BoundsRect(), Bounds(0, 85, 200, 15));
  EXPECT_EQ(body->BoundsRect(), Bounds(0, 30, 200, 55));
  EXPECT_EQ(side->BoundsRect(), Bounds(0, 0, 40, 55));
  EXPECT_EQ(fill->BoundsRect(), Bounds(40, 0, 160, 55));

  layout.parent.SetBounds(0, 0, 300, 200);
  EXPECT_EQ(body->BoundsRect(), Bounds(0, 30, 300, 155));
  EXPECT_EQ(fill->BoundsRect(), Bounds(40, 0, 260, 155));

  // A top bar moved onto the first one's place asks for alignment and goes
  // before it; moved below it again, it goes after it.
  second->SetTop(0);
  EXPECT_EQ(second->BoundsRect(), Bounds(0, 0, 300, 20));
  EXPECT_EQ(first->BoundsRect(), Bounds(0, 20, 300, 10));
  second->SetTop(25);
  EXPECT_EQ(first->BoundsRect(), Bounds(0, 0, 300, 10));
  EXPECT_EQ(second->BoundsRect(), Bounds(0, 10, 300, 20));
  second->SetTop(0);
  // Hidden controls take no room.
  second->Hide();
  EXPECT_EQ(first->BoundsRect(), Bounds(0, 0, 300, 10));
  EXPECT_EQ(body->BoundsRect(), Bounds(0, 10, 300, 175));
  // Nor do removed ones.
  delete foot;
  EXPECT_EQ(body->BoundsRect(), Bounds(0, 10, 300, 190));
}

TEST(LayoutAlignment, DisabledAlignmentRunsOnceWhenEnabledAgain) {
  Layout layout;
  TGraphicControl* bar = layout.Child(Bounds(0, 0, 10, 20), alTop);
  layout.parent.DisableAlign();
  layout.parent.DisableAlign();
  layout.parent.SetBounds(0, 0, 250, 100);
  EXPECT_EQ(bar->Width(), 200) << "waits while disabled";
  EXPECT_TRUE(layout.parent.ControlState().Contains(csAlignmentNeeded));
  layout.parent.EnableAlign();
  EXPECT_EQ(bar->Width(), 200) << "still one level down";
  layout.parent.EnableAlign();
  EXPECT_EQ(bar->Width(), 250);
  EXPECT_FALSE(layout.parent.ControlState().Contains(csAlignmentNeeded));
}

TEST(LayoutSpacing, MarginsPaddingAndBorderWidth) {
  Layout layout(200, 100);
  layout.parent.Padding()->SetBounds(5, 6, 7, 8);
  layout.parent.SetBorderWidth(2);
  EXPECT_EQ(layout.parent.ClientRect(), Rect(0, 0, 196, 96));
  TGraphicControl* top = layout.Child(Bounds(0, 0, 10, 20), alTop);
  top->SetAlignWithMargins(true);  // 3 on every side by default
  TGraphicControl* right = layout.Child(Bounds(0, 0, 30, 10), alRight);
  right->SetAlignWithMargins(true);
  right->Margins()->SetBounds(1, 2, 4, 8);
  TGraphicControl* client = layout.Child(Bounds(0, 0, 10, 10), alClient);
  // The area is (5, 6) - (189, 88): the client less the padding.
  EXPECT_EQ(top->BoundsRect(), Rect(8, 9, 186, 29));
  EXPECT_EQ(top->MarginBounds(), Rect(5, 6, 189, 32));
  EXPECT_EQ(right->BoundsRect(), Rect(155, 34, 185, 80));
  EXPECT_EQ(client->BoundsRect(), Rect(5, 32, 154, 88));
  // A change of margins or padding realigns.
  top->Margins()->SetTop(0);
  EXPECT_EQ(top->Top(), 6);
  layout.parent.Padding()->SetLeft(0);
  EXPECT_EQ(client->BoundsRect(), Rect(0, 29, 154, 88));
}

// Constraints of a derived class: the control keeps its limits and event.
class EdgeConstraints : public TSizeConstraints {
 public:
  int copies = 0;
  void CopyFrom(const TSizeConstraints& source) override {
    ++copies;
    TSizeConstraints::CopyFrom(source);
  }
};

struct ResizeWatcher : TObject {
  std::vector<std::string> log;
  int32_t cap_width = 0;
  bool refuse = false;
  void Constrained(TObject*, int32_t& min_w, int32_t&, int32_t& max_w, int32_t&) {
    log.push_back("constrained " + std::to_string(min_w) + "-" + std::to_string(max_w));
    if (cap_width) max_w = cap_width;
  }
  void CanResize(TObject*, int32_t& w, int32_t& h, bool& accept) {
    log.push_back("can " + std::to_string(w) + "x" + std::to_string(h));
    accept = !refuse;
  }
};

TEST(LayoutConstraints, LimitsEventsAndADerivedConstraintsObject) {
  Layout layout;
  TGraphicControl* child = layout.Child(Bounds(0, 0, 50, 50));
  child->Constraints()->SetMinWidth(20);
  child->Constraints()->SetMaxWidth(80);
  child->Constraints()->SetMaxHeight(40);
  EXPECT_EQ(child->Height(), 40) << "a new limit applies to the current size";
  struct Case {
    int w, h, want_w, want_h;
  } const sizes[] = {{10, 10, 20, 10}, {100, 100, 80, 40}, {-5, 30, 20, 30}, {60, 0, 60, 0}};
  for (const Case& c : sizes) {
    child->SetBounds(0, 0, c.w, c.h);
    EXPECT_EQ(Text(child->BoundsRect()), Text(Bounds(0, 0, c.want_w, c.want_h))) << c.w << "x" << c.h;
  }
  // A maximum below the minimum lowers the minimum.
  child->Constraints()->SetMaxWidth(15);
  EXPECT_EQ(child->Constraints()->MinWidth(), 15);
  EXPECT_EQ(child->Width(), 15);

  ResizeWatcher watcher;
  child->OnConstrainedResize = MakeEvent<&ResizeWatcher::Constrained>(&watcher);
  child->OnCanResize = MakeEvent<&ResizeWatcher::CanResize>(&watcher);
  child->Constraints()->SetMaxWidth(0);
  watcher.cap_width = 33;
  child->SetWidth(70);
  EXPECT_EQ(child->Width(), 33) << "the event's limit applies";
  EXPECT_EQ(watcher.log, (std::vector<std::string>{"can 15x0", "constrained 15-0", "can 70x0", "constrained 15-0"}));
  watcher.refuse = true;
  child->SetBounds(5, 5, 20, 20);
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 33, 0)) << "a refused size leaves the bounds";
  child->OnCanResize = nullptr;
  child->OnConstrainedResize = nullptr;

  // A derived object takes over limits and change event.
  auto edge = std::make_unique<EdgeConstraints>();
  EdgeConstraints* installed = edge.get();
  child->ReplaceConstraints(std::move(edge));
  EXPECT_EQ(child->Constraints(), installed);
  EXPECT_EQ(installed->copies, 1);
  EXPECT_EQ(installed->MinWidth(), 15);
  installed->SetMinWidth(45);
  EXPECT_EQ(child->Width(), 45) << "the control still hears the change event";

  // An aligned control that keeps a smaller size stays against its side.
  TGraphicControl* foot = layout.Child(Bounds(0, 0, 10, 10), alBottom);
  foot->Constraints()->SetMaxWidth(120);
  EXPECT_EQ(foot->BoundsRect(), Bounds(0, 90, 120, 10));
  TGraphicControl* side = layout.Child(Bounds(0, 0, 30, 10), alRight);
  side->Constraints()->SetMaxHeight(60);
  EXPECT_EQ(side->BoundsRect(), Bounds(170, 0, 30, 60));
}

// A control that knows its own size, as a label knows its text's.
class FixedSize : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  bool CanAutoSize(int32_t& width, int32_t& height) override {
    width = 64;
    height = 12;
    return true;
  }
};

TEST(LayoutAutoSize, OwnSizeAndTheSizeOfTheChildren) {
  Layout layout(300, 200);
  auto* label = new FixedSize(nullptr);
  label->SetParent(&layout.parent);
  label->SetBounds(5, 5, 10, 10);
  label->SetAutoSize(true);
  EXPECT_EQ(label->BoundsRect(), Bounds(5, 5, 64, 12));
  label->SetWidth(100);
  EXPECT_EQ(label->Width(), 64);
  label->Constraints()->SetMaxWidth(50);
  EXPECT_EQ(label->Width(), 50) << "constraints after auto size";

  TCustomControl* box = layout.Panel(Bounds(100, 10, 20, 20));
  box->Padding()->SetBounds(0, 0, 4, 6);
  box->SetBorderWidth(1);
  layout.Child(Bounds(10, 10, 30, 20), alNone, box);
  TGraphicControl* far_child = layout.Child(Bounds(40, 5, 10, 50), alNone, box);
  box->SetAutoSize(true);
  // Extent (50, 55) + padding (4, 6) + frame 2.
  EXPECT_EQ(box->BoundsRect(), Bounds(100, 10, 56, 63));
  far_child->SetHeight(20);
  EXPECT_EQ(box->BoundsRect(), Bounds(100, 10, 56, 38)) << "follows its children";
  box->SetAlign(alTop);
  EXPECT_EQ(box->Width(), 300) << "the alignment keeps the width";
  EXPECT_EQ(box->Height(), 38);
}

struct CustomAligner : TObject {
  std::vector<std::string> log;
  void InsertBefore(TObject*, TControl* a, TControl* b, bool& before) { before = a->Tag() < b->Tag(); }
  void Position(TObject*, TControl* control, int32_t& left, int32_t& top, int32_t& width, int32_t&,
                TRect& rect, const TAlignInfo& info) {
    log.push_back(std::to_string(control->Tag()) + "@" + std::to_string(info.ControlIndex) + "/" +
                  std::to_string(info.AlignList->size()));
    // A row of equal cells from the right, in the order of the tags.
    width = 20;
    left = rect.Right - 20 * (info.ControlIndex + 1);
    top = rect.Top;
  }
};

TEST(LayoutAlignment, CustomAlignmentAsksForOrderAndPlace) {
  Layout layout(200, 100);
  CustomAligner aligner;
  layout.parent.OnAlignInsertBefore = MakeEvent<&CustomAligner::InsertBefore>(&aligner);
  layout.parent.OnAlignPosition = MakeEvent<&CustomAligner::Position>(&aligner);
  TGraphicControl* top = layout.Child(Bounds(0, 0, 10, 10), alTop);
  std::vector<TGraphicControl*> cells;
  for (int tag : {3, 1, 2}) {
    TGraphicControl* cell = layout.Child(Bounds(0, 50, 10, 10));
    cell->SetTag(tag);
    cells.push_back(cell);
  }
  for (TGraphicControl* cell : cells) cell->SetAlign(alCustom);
  aligner.log.clear();
  layout.parent.Realign();
  EXPECT_EQ(aligner.log, (std::vector<std::string>{"1@0/3", "2@1/3", "3@2/3"}));
  EXPECT_EQ(cells[1]->BoundsRect(), Bounds(180, 10, 20, 10)) << "below the top bar";
  EXPECT_EQ(cells[2]->BoundsRect(), Bounds(160, 10, 20, 10));
  EXPECT_EQ(cells[0]->BoundsRect(), Bounds(140, 10, 20, 10));
  EXPECT_EQ(top->Width(), 200);
}

TEST(LayoutScaling, ATreeScaledByHalfAgainAndBackHasItsBoundsExactly) {
  TestHost host(nullptr, 301, 201);
  host.SetBounds(10, 10, 301, 201);
  auto* bar = new TCustomControl(nullptr);
  bar->SetParent(&host);
  bar->SetBounds(0, 0, 10, 23);
  bar->SetAlign(alTop);
  bar->SetAlignWithMargins(true);
  bar->Margins()->SetBounds(1, 2, 3, 5);
  bar->Padding()->SetBounds(3, 3, 3, 3);
  auto* body = new TCustomControl(nullptr);
  body->SetParent(&host);
  body->SetAlign(alClient);
  auto* knob = new TGraphicControl(nullptr);
  knob->SetParent(body);
  knob->SetBounds(7, 9, 33, 17);
  knob->SetAnchors({akRight, akBottom});
  knob->Constraints()->SetMinWidth(11);
  auto* icon = new TGraphicControl(nullptr);
  icon->SetParent(bar);
  icon->SetBounds(5, 1, 13, 11);
  icon->SetParentFont(false);
  icon->Font().SetHeight(-11);
  host.Open();

  std::vector<TControl*> all{bar, body, knob, icon};
  std::vector<TRect> before;
  for (TControl* c : all) before.push_back(c->BoundsRect());

  host.ScaleBy(3, 2);
  EXPECT_EQ(host.BoundsRect(), Bounds(10, 10, 452, 302)) << "the host keeps its place";
  EXPECT_EQ(bar->BoundsRect(), Bounds(2, 3, 445, 35));
  EXPECT_EQ(icon->BoundsRect(), Bounds(8, 2, 19, 16));
  EXPECT_EQ(icon->Font().Height(), -17);
  EXPECT_EQ(knob->Constraints()->MinWidth(), 17);
  EXPECT_EQ(bar->Margins()->Bottom(), 8);
  // The anchored knob keeps its distance (scaled) to its parent's far edges.
  EXPECT_EQ(body->ClientRect().Right - knob->BoundsRect().Right,
            MulDiv(body->ClientRect().Right * 2 / 3 - before[2].Right, 3, 2));
  // Resizing after scaling moves the anchored knob with the far edges.
  const TRect scaled_knob = knob->BoundsRect();
  host.SetBounds(10, 10, 462, 302);
  EXPECT_EQ(knob->Left(), scaled_knob.Left + 10);
  host.SetBounds(10, 10, 452, 302);

  host.ScaleBy(2, 3);
  EXPECT_EQ(host.BoundsRect(), Bounds(10, 10, 301, 201));
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(Text(all[i]->BoundsRect()), Text(before[i])) << i;
  }
  EXPECT_EQ(icon->Font().Height(), -11);
  EXPECT_EQ(knob->Constraints()->MinWidth(), 11);
  EXPECT_EQ(bar->Padding()->Left(), 3);
}

TEST(LayoutStreaming, DesignSizeIsWrittenOnlyForAnchoredChildrenAndReadBack) {
  RegisterClasses({&TGraphicControl::StaticClass(), &TCustomControl::StaticClass()});
  auto write = [](bool anchored) {
    TMemoryStream stream;
    TestHost host(nullptr, 200, 100);
    auto* panel = new TCustomControl(&host);
    panel->SetName(u"Panel");
    panel->SetParent(&host);
    panel->SetBounds(0, 0, 120, 80);
    auto* dot = new TGraphicControl(&host);
    dot->SetName(u"Dot");
    dot->SetParent(panel);
    dot->SetBounds(90, 50, 10, 10);
    if (anchored) dot->SetAnchors({akRight, akBottom});
    dot->Constraints()->SetMinWidth(7);
    dot->SetAlignWithMargins(true);
    dot->Margins()->SetLeft(9);
    TWriter(stream).WriteRootComponent(host);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    return std::vector<uint8_t>(bytes, bytes + stream.Size());
  };
  auto contains = [](const std::vector<uint8_t>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
  };
  EXPECT_FALSE(contains(write(false), "DesignSize"));
  const std::vector<uint8_t> anchored = write(true);
  ASSERT_TRUE(contains(anchored, "DesignSize"));

  TMemoryStream stream;
  stream.WriteBuffer(anchored.data(), anchored.size());
  stream.SetPosition(0);
  TestHost back(nullptr, 200, 100);
  TReader(stream).ReadRootComponent(back);
  auto* panel = ObjectAs<TCustomControl>(back.FindComponent(u"Panel"));
  auto* dot = ObjectAs<TGraphicControl>(back.FindComponent(u"Dot"));
  ASSERT_TRUE(panel && dot);
  EXPECT_EQ(panel->DesignSize(), (TPoint{120, 80}));
  EXPECT_EQ(dot->Anchors(), (TAnchors{akRight, akBottom}));
  EXPECT_EQ(dot->Constraints()->MinWidth(), 7);
  EXPECT_TRUE(dot->AlignWithMargins());
  EXPECT_EQ(dot->Margins()->Left(), 9);
  EXPECT_EQ(dot->Margins()->Top(), 3);
  // What the stream set is what a scaling while loading would scale.
  EXPECT_TRUE(panel->ScalingFlags().Contains(sfDesignSize));
  EXPECT_EQ(dot->ScalingFlags(), (TScalingFlags{sfLeft, sfTop, sfWidth, sfHeight, sfFont}));
  panel->SetBounds(0, 0, 150, 100);
  EXPECT_EQ(dot->BoundsRect(), Bounds(120, 70, 10, 10)) << "the read anchors work";
}

}  // namespace
