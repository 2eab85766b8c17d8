#pragma once
// TRdTimer: the engine's timer component (animated pictures, hover fades).
// It needs no window: each timer starts a window-less system timer whose
// ticks the thread's message loop dispatches to a callback, and a
// process-wide registry binds the system timer's identifier (on the thread
// that started it) back to the object. Ticks therefore arrive on the thread
// that started the timer, and only while that thread pumps messages.
//
// A system timer runs while Interval is not 0, Enabled is set and OnTimer is
// assigned. Any change of Interval, of Enabled or of whether OnTimer is
// assigned stops the running system timer and starts a new one when the
// three conditions hold, so the interval always restarts at the change.
// Swapping one assigned handler for another keeps the running timer: each
// tick calls the current handler.
//
// Errors raised by OnTimer are shown through ShowApplicationException with
// the timer as sender (no sender when the handler freed its timer); while one
// is being shown (a message box runs its own message loop), further ticks of
// every timer of that thread are dropped. A handler may stop, retune or free
// its own timer.
//
// Windows only.

#include <cstdint>

#include "rtl/classes.h"
#include "rtl/events.h"
#include "rtl/sync.h"

class TRdTimer : public TComponent {
  RD_CLASS(TRdTimer, TComponent)

  // Enabled, Interval 1000 ms, no handler: no system timer yet.
  explicit TRdTimer(TComponent* owner);
  ~TRdTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Milliseconds; 0 stops the timer.
  int32_t Interval() const { return interval_; }
  void SetInterval(int32_t interval);
  TNotifyEvent OnTimer() const { return on_timer_; }
  void SetOnTimer(const TNotifyEvent& handler);

  // The running system timer's identifier, 0 when none runs.
  uintptr_t TimerId() const { return timer_id_; }

  // Runs on each tick; calls OnTimer(this) when assigned.
  virtual void DoTimer();

 private:
  // Stops the running system timer and starts one when the conditions hold.
  // A system timer refused three times (100 ms apart) raises EOutOfResources
  // "<system text of the last error>:<ActiveTimerCount>".
  void UpdateTimer();

  int32_t interval_ = 1000;
  uintptr_t timer_id_ = 0;
  uint32_t timer_thread_ = 0;  // thread that started the running system timer
  TNotifyEvent on_timer_;
  bool enabled_ = true;
  TMonitorLock lock_;  // held by UpdateTimer, so property changes from several threads do not interleave
};

// System timers currently running for all TRdTimer objects.
int32_t ActiveTimerCount();
