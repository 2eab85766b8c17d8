// The timer under a real message loop. Machines running these tests may be
// loaded: the checks are "at least N ticks within a generous deadline", "no
// tick after a stop" and "no tick before the interval", never tight timing.

#include "engine/support/rd_timer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/support/application_exception.h"
#include "engine/support/rd_timer_system.h"
#include "rtl/numbers.h"
#include "rtl/rtti.h"
#include "rtl/wide_string.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kGenerous{10000};

// Pumps this thread's messages until `done()` holds or `limit` has passed;
// returns whether `done()` held.
bool PumpUntil(const std::function<bool()>& done, milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    const auto now = Clock::now();
    if (now >= deadline) return false;
    const auto wait = std::chrono::duration_cast<milliseconds>(deadline - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(wait < 20 ? wait : 20), QS_ALLINPUT);
  }
}

void PumpFor(milliseconds time) {
  PumpUntil([] { return false; }, time);
}

// Counts the ticks it receives, with their times and senders; then runs
// `then`, when set (to raise, or to change the timer from its own tick).
class Ticks : public TObject {
 public:
  void Tick(TObject* sender) {
    times.push_back(Clock::now());
    senders.push_back(sender);
    if (then) then();
  }
  TNotifyEvent Event() { return MakeEvent<&Ticks::Tick>(this); }
  int Count() const { return int(times.size()); }

  std::vector<Clock::time_point> times;
  std::vector<TObject*> senders;
  std::function<void()> then;
};

class RdTimerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    TimerSystemCalls = TTimerSystemCalls();
    ApplicationShowExceptionHook = nullptr;
  }
};

TEST_F(RdTimerTest, StartsOnlyOnceAHandlerIsAssigned) {
  const int32_t before = ActiveTimerCount();
  TRdTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000);
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_EQ(ActiveTimerCount(), before);
  Ticks ticks;
  timer.SetOnTimer(ticks.Event());
  EXPECT_NE(timer.TimerId(), 0u);
  EXPECT_EQ(ActiveTimerCount(), before + 1);
}

TEST_F(RdTimerTest, PublishesItsPropertiesWithTheirDefaults) {
  const TClassInfo& info = TRdTimer::StaticClass();
  const TPropInfo* interval = info.FindProperty(u"Interval");
  const TPropInfo* enabled = info.FindProperty(u"Enabled");
  ASSERT_NE(interval, nullptr);
  ASSERT_NE(enabled, nullptr);
  ASSERT_NE(info.FindProperty(u"OnTimer"), nullptr);
  EXPECT_EQ(interval->Default(), 1000);
  EXPECT_EQ(enabled->Default(), 1);
  // A streamed value goes through the setter like any other change.
  Ticks ticks;
  TRdTimer timer(nullptr);
  timer.SetOnTimer(ticks.Event());
  SetOrdProp(timer, *enabled, 0);
  EXPECT_EQ(timer.TimerId(), 0u);
}

TEST_F(RdTimerTest, FiresAndRestartsWhenTheIntervalChanges) {
  Ticks ticks;
  TRdTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer(ticks.Event());
  ASSERT_TRUE(PumpUntil([&] { return ticks.Count() >= 3; }, kGenerous));
  EXPECT_EQ(ticks.senders.front(), &timer);

  const int32_t running = ActiveTimerCount();
  timer.SetInterval(0);
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_EQ(ActiveTimerCount(), running - 1);
  const int stopped_at = ticks.Count();
  PumpFor(milliseconds(300));
  EXPECT_EQ(ticks.Count(), stopped_at);

  timer.SetInterval(40);
  EXPECT_EQ(ActiveTimerCount(), running);
  EXPECT_TRUE(PumpUntil([&] { return ticks.Count() >= stopped_at + 2; }, kGenerous));
}

TEST_F(RdTimerTest, SwappingHandlersKeepsTheSystemTimerAndClearingStopsIt) {
  Ticks first, second;
  TRdTimer timer(nullptr);
  timer.SetInterval(30);
  timer.SetOnTimer(first.Event());
  const uintptr_t id = timer.TimerId();
  const int32_t running = ActiveTimerCount();
  ASSERT_TRUE(PumpUntil([&] { return first.Count() >= 1; }, kGenerous));

  timer.SetOnTimer(second.Event());
  EXPECT_EQ(timer.TimerId(), id);
  EXPECT_EQ(ActiveTimerCount(), running);
  const int first_count = first.Count();
  ASSERT_TRUE(PumpUntil([&] { return second.Count() >= 2; }, kGenerous));
  EXPECT_EQ(first.Count(), first_count);

  timer.SetOnTimer(nullptr);
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_EQ(ActiveTimerCount(), running - 1);
  const int second_count = second.Count();
  PumpFor(milliseconds(300));
  EXPECT_EQ(second.Count(), second_count);
}

TEST_F(RdTimerTest, TogglingEnabledRestartsTheInterval) {
  Ticks ticks;
  TRdTimer timer(nullptr);
  timer.SetInterval(500);
  timer.SetOnTimer(ticks.Event());
  PumpFor(milliseconds(300));
  timer.SetEnabled(false);
  EXPECT_EQ(timer.TimerId(), 0u);
  timer.SetEnabled(false);  // the same value changes nothing
  const auto restarted = Clock::now();
  timer.SetEnabled(true);
  EXPECT_NE(timer.TimerId(), 0u);
  const int before = ticks.Count();
  ASSERT_TRUE(PumpUntil([&] { return ticks.Count() > before; }, kGenerous));
  // Without the restart the tick would have come about 200 ms after it.
  EXPECT_GE(ticks.times[size_t(before)] - restarted, milliseconds(450));
}

TEST_F(RdTimerTest, DestroyingARunningTimerStopsIt) {
  const int32_t before = ActiveTimerCount();
  Ticks ticks;
  {
    TComponent owner(nullptr);
    auto* owned = new TRdTimer(&owner);
    owned->SetInterval(20);
    owned->SetOnTimer(ticks.Event());
    auto timer = std::make_unique<TRdTimer>(nullptr);
    timer->SetInterval(20);
    timer->SetOnTimer(ticks.Event());
    EXPECT_EQ(ActiveTimerCount(), before + 2);
    timer.reset();
    EXPECT_EQ(ActiveTimerCount(), before + 1);
  }
  EXPECT_EQ(ActiveTimerCount(), before);
  const int count = ticks.Count();
  PumpFor(milliseconds(200));
  EXPECT_EQ(ticks.Count(), count);
}

TEST_F(RdTimerTest, AHandlerCanStopItsOwnTimer) {
  struct Case {
    const char* how;
    void (*stop)(TRdTimer&);
  };
  const Case cases[] = {
      {"Enabled off", [](TRdTimer& timer) { timer.SetEnabled(false); }},
      {"Interval 0", [](TRdTimer& timer) { timer.SetInterval(0); }},
      {"handler cleared", [](TRdTimer& timer) { timer.SetOnTimer(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    const int32_t before = ActiveTimerCount();
    Ticks ticks;
    TRdTimer timer(nullptr);
    ticks.then = [&] { c.stop(timer); };
    timer.SetInterval(20);
    timer.SetOnTimer(ticks.Event());
    ASSERT_TRUE(PumpUntil([&] { return ticks.Count() >= 1; }, kGenerous));
    PumpFor(milliseconds(200));
    EXPECT_EQ(ticks.Count(), 1);
    EXPECT_EQ(timer.TimerId(), 0u);
    EXPECT_EQ(ActiveTimerCount(), before);
  }
}

TEST_F(RdTimerTest, AHandlerCanRetuneItsOwnTimer) {
  const int32_t before = ActiveTimerCount();
  Ticks ticks;
  TRdTimer timer(nullptr);
  ticks.then = [&] {
    if (ticks.Count() == 1) timer.SetInterval(400);
  };
  timer.SetInterval(20);
  timer.SetOnTimer(ticks.Event());
  ASSERT_TRUE(PumpUntil([&] { return ticks.Count() >= 3; }, kGenerous));
  EXPECT_EQ(ActiveTimerCount(), before + 1);
  // At the old interval these ticks would have come about 20 ms apart.
  EXPECT_GE(ticks.times[1] - ticks.times[0], milliseconds(350));
  EXPECT_GE(ticks.times[2] - ticks.times[1], milliseconds(350));
}

// What the exception display last saw.
struct LastReport {
  static inline int count = 0;
  static inline TObject* sender = nullptr;
  static inline String message;
  static void Show(TObject* from, const Exception& error) {
    ++count;
    sender = from;
    message = error.Message();
  }
};

TEST_F(RdTimerTest, AHandlerCanFreeItsOwnTimerAndItsErrorIsReportedWithoutIt) {
  ApplicationShowExceptionHook = &LastReport::Show;
  for (const bool raise : {false, true}) {
    SCOPED_TRACE(raise ? "then raises" : "quietly");
    LastReport::count = 0;
    const int32_t before = ActiveTimerCount();
    TComponent owner(nullptr);
    Ticks ticks;
    LastReport::sender = &ticks;
    auto* timer = new TRdTimer(&owner);
    ticks.then = [&] {
      delete timer;
      if (raise) throw EInvalidOperation(u"freed");
    };
    timer->SetInterval(20);
    timer->SetOnTimer(ticks.Event());
    ASSERT_TRUE(PumpUntil([&] { return ticks.Count() >= 1; }, kGenerous));
    PumpFor(milliseconds(200));
    EXPECT_EQ(ticks.Count(), 1);
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(ActiveTimerCount(), before);
    EXPECT_EQ(LastReport::count, raise ? 1 : 0);
    if (raise) {
      EXPECT_EQ(LastReport::sender, nullptr);
      EXPECT_EQ(LastReport::message, u"freed");
    }
  }
}

TEST_F(RdTimerTest, ATimerFreedByANestedTickIsReportedWithoutIt) {
  // The outer handler pumps messages, as a dialog would; the inner tick of
  // another timer frees the outer timer before the outer handler raises.
  ApplicationShowExceptionHook = &LastReport::Show;
  LastReport::count = 0;
  Ticks outer_ticks, inner_ticks;
  LastReport::sender = &outer_ticks;
  auto outer = std::make_unique<TRdTimer>(nullptr);
  TRdTimer inner(nullptr);
  outer_ticks.then = [&] {
    if (outer_ticks.Count() > 1) return;
    inner.SetInterval(20);
    inner.SetOnTimer(inner_ticks.Event());
    PumpUntil([&] { return outer == nullptr; }, kGenerous);
    throw EInvalidOperation(u"outer");
  };
  inner_ticks.then = [&] {
    inner.SetEnabled(false);
    outer.reset();
  };
  outer->SetInterval(20);
  outer->SetOnTimer(outer_ticks.Event());
  ASSERT_TRUE(PumpUntil([&] { return LastReport::count >= 1; }, kGenerous));
  EXPECT_EQ(outer, nullptr);
  EXPECT_EQ(LastReport::sender, nullptr);
  EXPECT_EQ(LastReport::message, u"outer");
}

// What the exception display saw, and the ticks that ran while it was open.
struct Reports {
  int count = 0;
  TObject* sender = nullptr;
  String message;
  Ticks* watched = nullptr;
  int watched_during_report = 0;
};
Reports* reports = nullptr;

// Pumps messages for a while, as a message box would.
void ModalDisplay(TObject* sender, const Exception& error) {
  ++reports->count;
  reports->sender = sender;
  reports->message = error.Message();
  const int before = reports->watched->Count();
  PumpFor(milliseconds(300));
  reports->watched_during_report += reports->watched->Count() - before;
}

TEST_F(RdTimerTest, AHandlerErrorIsReportedOnceWhileTicksOfTheThreadAreDropped) {
  Reports seen;
  reports = &seen;
  ApplicationShowExceptionHook = &ModalDisplay;
  Ticks failing, other;
  seen.watched = &other;
  failing.then = [&] {
    if (failing.Count() == 1) throw EInvalidOperation(u"boom");
  };
  TRdTimer bad(nullptr), good(nullptr);
  good.SetInterval(20);
  good.SetOnTimer(other.Event());
  bad.SetInterval(20);
  bad.SetOnTimer(failing.Event());

  ASSERT_TRUE(PumpUntil([&] { return failing.Count() >= 3 && other.Count() >= 3; }, kGenerous));
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.sender, &bad);
  EXPECT_EQ(seen.message, u"boom");
  EXPECT_EQ(seen.watched_during_report, 0);
  reports = nullptr;
}

TEST_F(RdTimerTest, ErrorsOfAnyKindAreShownAndADisplayThatRaisesStopsNothing) {
  static int shown = 0;
  static String last;
  shown = 0;
  ApplicationShowExceptionHook = [](TObject*, const Exception& error) {
    ++shown;
    last = error.Message();
    throw EAbort(u"display failed");
  };
  Ticks ticks;
  ticks.then = [] { throw std::runtime_error("plain error"); };
  TRdTimer timer(nullptr);
  timer.SetInterval(20);
  timer.SetOnTimer(ticks.Event());
  ASSERT_TRUE(PumpUntil([&] { return shown >= 3; }, kGenerous));
  EXPECT_EQ(last, u"plain error");
}

// The system's text for `error`, as a message box would show it.
String SystemText(DWORD error) {
  wchar_t buffer[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                                512, nullptr);
  while (length > 0 && (buffer[length - 1] <= L' ' || buffer[length - 1] == L'.')) --length;
  return FromWide(buffer, length);
}

// Fake system calls: SetTimer refuses the first `refusals` attempts.
struct Refusing {
  static inline int refusals = 0;
  static inline int attempts = 0;
  static inline std::vector<DWORD> sleeps;
  static UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc) {
    if (++attempts <= refusals) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    return ::SetTimer(window, id, interval, proc);
  }
  static void WINAPI Sleep(DWORD time) { sleeps.push_back(time); }
  static void Install(int refuse) {
    refusals = refuse;
    attempts = 0;
    sleeps.clear();
    TimerSystemCalls.SetTimer = &SetTimer;
    TimerSystemCalls.Sleep = &Sleep;
  }
};

TEST_F(RdTimerTest, ARefusedTimerIsTriedThreeTimesHundredMillisecondsApart) {
  Ticks ticks;
  TRdTimer timer(nullptr);
  const int32_t before = ActiveTimerCount();

  Refusing::Install(2);
  timer.SetOnTimer(ticks.Event());
  EXPECT_EQ(Refusing::attempts, 3);
  EXPECT_EQ(Refusing::sleeps, (std::vector<DWORD>{100, 100}));
  EXPECT_NE(timer.TimerId(), 0u);
  EXPECT_EQ(ActiveTimerCount(), before + 1);

  Refusing::Install(3);
  try {
    timer.SetInterval(250);
    FAIL() << "no error raised";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message(), SystemText(ERROR_NOT_ENOUGH_MEMORY) + u":" + IntToStr(before));
  }
  EXPECT_EQ(Refusing::attempts, 3);
  EXPECT_EQ(Refusing::sleeps, (std::vector<DWORD>{100, 100}));
  EXPECT_EQ(timer.TimerId(), 0u);
  EXPECT_EQ(timer.Interval(), 250);
  EXPECT_EQ(ActiveTimerCount(), before);
}

// Fake SetTimer that remembers the callback the timer passes.
TIMERPROC timer_entry = nullptr;
UINT_PTR WINAPI RecordingSetTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc) {
  timer_entry = proc;
  return ::SetTimer(window, id, interval, proc);
}

TEST_F(RdTimerTest, ATickNoTimerClaimsStopsItsSystemTimer) {
  TimerSystemCalls.SetTimer = &RecordingSetTimer;
  {
    Ticks ticks;
    TRdTimer timer(nullptr);
    timer.SetOnTimer(ticks.Event());
  }
  ASSERT_NE(timer_entry, nullptr);
  const UINT_PTR stray = ::SetTimer(nullptr, 0, 20, timer_entry);
  ASSERT_NE(stray, 0u);
  PumpFor(milliseconds(300));
  EXPECT_FALSE(::KillTimer(nullptr, stray));  // already stopped by its first tick
}

}  // namespace
