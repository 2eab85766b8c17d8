#pragma once
// Locks and atomics for the few structures shared between threads (the
// decoded-image cache, hash tables guarded by their users).
//
// TMonitorLock is the framework's monitor: a re-entrant lock, waited for
// without a time limit; the thread that holds it may enter again and must
// leave as often as it entered. TMonitorGuard holds it for a scope.
//
// The Atomic* functions act on plain integer or pointer variables (naturally
// aligned, as every such member is) and are sequentially consistent.

#include <atomic>
#include <concepts>
#include <cstdint>
#include <mutex>
#include <type_traits>

class TMonitorLock {
 public:
  TMonitorLock() = default;
  TMonitorLock(const TMonitorLock&) = delete;
  TMonitorLock& operator=(const TMonitorLock&) = delete;

  void Enter() { mutex_.lock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }

  // For std::lock_guard and friends.
  void lock() { Enter(); }
  bool try_lock() { return TryEnter(); }
  void unlock() { Leave(); }

 private:
  std::recursive_mutex mutex_;
};

class [[nodiscard]] TMonitorGuard {
 public:
  explicit TMonitorGuard(TMonitorLock& lock) : lock_(lock) { lock_.Enter(); }
  ~TMonitorGuard() { lock_.Leave(); }
  TMonitorGuard(const TMonitorGuard&) = delete;
  TMonitorGuard& operator=(const TMonitorGuard&) = delete;

 private:
  TMonitorLock& lock_;
};

template <class T>
concept AtomicValue = std::integral<T> || std::is_pointer_v<T>;

// Adds 1 (or `delta`); returns the new value.
template <std::integral T>
T AtomicIncrement(T& target, std::type_identity_t<T> delta = 1) {
  return std::atomic_ref<T>(target).fetch_add(delta) + delta;
}

// Subtracts 1 (or `delta`); returns the new value.
template <std::integral T>
T AtomicDecrement(T& target, std::type_identity_t<T> delta = 1) {
  return std::atomic_ref<T>(target).fetch_sub(delta) - delta;
}

// Stores `value`; returns the previous value.
template <AtomicValue T>
T AtomicExchange(T& target, std::type_identity_t<T> value) {
  return std::atomic_ref<T>(target).exchange(value);
}

// Stores `new_value` when the target equals `comparand`; returns the value the
// target held before, so the exchange happened when the result equals
// `comparand`.
template <AtomicValue T>
T AtomicCmpExchange(T& target, std::type_identity_t<T> new_value,
                    std::type_identity_t<T> comparand) {
  std::atomic_ref<T>(target).compare_exchange_strong(comparand, new_value);
  return comparand;
}

// Reads or writes the value atomically.
template <AtomicValue T>
T AtomicLoad(T& target) {
  return std::atomic_ref<T>(target).load();
}
template <AtomicValue T>
void AtomicStore(T& target, std::type_identity_t<T> value) {
  std::atomic_ref<T>(target).store(value);
}
