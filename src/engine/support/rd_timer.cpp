// TRdTimer over window-less Win32 timers. A tick carries only the system
// timer's identifier, so a registry maps (thread, identifier) to the timer
// object. This works the same on i386 and x86-64 and needs no executable
// memory; a tick of a system timer no object claims stops that timer.

#include "engine/support/rd_timer.h"

#include <windows.h>

#include <exception>
#include <map>
#include <mutex>
#include <utility>

#include "engine/support/application_exception.h"
#include "engine/support/rd_timer_system.h"
#include "rtl/exceptions.h"
#include "rtl/numbers.h"
#include "rtl/rtti.h"
#include "rtl/syserror.h"
#include "rtl/wide_string.h"

TTimerSystemCalls TimerSystemCalls;

RD_DEFINE_CLASS(TRdTimer,
                Prop(u"Enabled", &TRdTimer::Enabled, &TRdTimer::SetEnabled).Default(true),
                Prop(u"Interval", &TRdTimer::Interval, &TRdTimer::SetInterval).Default(1000),
                Prop(u"OnTimer", &TRdTimer::OnTimer, &TRdTimer::SetOnTimer))

namespace {

int32_t active_timer_count = 0;  // changed only atomically

// True on a thread while it shows an error raised by a timer handler.
thread_local bool reporting_error = false;

// The ticks running on this thread, innermost first: a handler that pumps
// messages runs further ticks inside its own. A handler may free its own
// timer (or the timer of an outer tick); the destructor then clears the
// timer from every running tick, so that no tick touches the freed object.
struct RunningTick {
  explicit RunningTick(TRdTimer* timer) : timer(timer), outer(innermost) { innermost = this; }
  ~RunningTick() { innermost = outer; }
  RunningTick(const RunningTick&) = delete;
  RunningTick& operator=(const RunningTick&) = delete;

  static void Forget(const TRdTimer* timer) {
    for (RunningTick* tick = innermost; tick != nullptr; tick = tick->outer) {
      if (tick->timer == timer) tick->timer = nullptr;
    }
  }

  TRdTimer* timer;  // null once the handler freed it
  RunningTick* outer;
  static thread_local RunningTick* innermost;
};
thread_local RunningTick* RunningTick::innermost = nullptr;

class TimerRegistry {
 public:
  void Add(DWORD thread, UINT_PTR id, TRdTimer* timer) {
    const std::lock_guard guard(mutex_);
    timers_[{thread, id}] = timer;
  }
  void Remove(DWORD thread, UINT_PTR id) {
    const std::lock_guard guard(mutex_);
    timers_.erase({thread, id});
  }
  TRdTimer* Find(DWORD thread, UINT_PTR id) {
    const std::lock_guard guard(mutex_);
    const auto it = timers_.find({thread, id});
    return it == timers_.end() ? nullptr : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::pair<DWORD, UINT_PTR>, TRdTimer*> timers_;
};

// Never destroyed: timers owned by static objects may stop after the other
// statics of the process are gone.
TimerRegistry& Registry() {
  static TimerRegistry* registry = new TimerRegistry();
  return *registry;
}

void ReportTickError(TObject* sender, const Exception& error) {
  reporting_error = true;
  try {
    ShowApplicationException(sender, error);
  } catch (...) {
    // Nothing may unwind into the message loop's system frames.
    OutputDebugStringW(L"RdTimer: the exception display raised an error");
  }
  reporting_error = false;
}

void CALLBACK TimerEntry(HWND, UINT, UINT_PTR id, DWORD) {
  TRdTimer* timer = Registry().Find(GetCurrentThreadId(), id);
  if (timer == nullptr) {
    TimerSystemCalls.KillTimer(nullptr, id);
    return;
  }
  if (reporting_error) return;
  // A timer its handler freed is reported as no sender.
  RunningTick tick(timer);
  try {
    timer->DoTimer();
  } catch (const Exception& error) {
    ReportTickError(tick.timer, error);
  } catch (const std::exception& error) {
    ReportTickError(tick.timer, Exception(Utf8ToString(error.what())));
  } catch (...) {
    ReportTickError(tick.timer, Exception(u"Unknown error in a timer handler"));
  }
}

}  // namespace

int32_t ActiveTimerCount() { return AtomicLoad(active_timer_count); }

TRdTimer::TRdTimer(TComponent* owner) : TComponent(owner) {}

TRdTimer::~TRdTimer() {
  RunningTick::Forget(this);
  enabled_ = false;
  if (timer_id_ != 0) UpdateTimer();
}

void TRdTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TRdTimer::SetInterval(int32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TRdTimer::SetOnTimer(const TNotifyEvent& handler) {
  if (handler == on_timer_) return;
  const bool restart = !handler.Assigned() || !on_timer_.Assigned();
  on_timer_ = handler;
  if (restart) UpdateTimer();
}

void TRdTimer::DoTimer() { on_timer_(this); }

void TRdTimer::UpdateTimer() {
  const TMonitorGuard guard(lock_);
  if (timer_id_ != 0) {
    Registry().Remove(timer_thread_, timer_id_);
    if (TimerSystemCalls.KillTimer(nullptr, timer_id_)) AtomicDecrement(active_timer_count);
    timer_id_ = 0;
  }
  if (interval_ == 0 || !enabled_ || !on_timer_.Assigned()) return;

  UINT_PTR id = 0;
  for (int attempt = 1;; ++attempt) {
    id = TimerSystemCalls.SetTimer(nullptr, 0, UINT(interval_), &TimerEntry);
    if (id != 0 || attempt == 3) break;
    TimerSystemCalls.Sleep(100);
  }
  if (id == 0) {
    const DWORD error = GetLastError();
    throw EOutOfResources(SysErrorMessage(error) + u":" + IntToStr(ActiveTimerCount()));
  }
  // Ticks are dispatched by this thread's message loop, which cannot run
  // before the registration below.
  timer_thread_ = GetCurrentThreadId();
  timer_id_ = id;
  Registry().Add(timer_thread_, id, this);
  AtomicIncrement(active_timer_count);
}
