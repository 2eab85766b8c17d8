#pragma once
// Events: method pointers, that is a handler (a member function) and the
// object it runs on, like the framework's `procedure(...) of object`.
//
//   OnClick = MakeEvent<&TMainForm::ButtonClick>(this);
//   if (OnClick) ...;          // "assigned"
//   OnClick(this);             // calls the handler; nothing when unassigned
//
// Two events compare equal when they call the same handler on the same
// object. Published methods (rtti.h) let the form readers and writers turn a
// handler into its name and back.

#include <type_traits>
#include <utility>

#include "rtl/objects.h"

template <class... Args>
class TEventOf;

namespace rtl_detail {
template <class M>
struct HandlerTraits;
template <class T, class... Args>
struct HandlerTraits<void (T::*)(Args...)> {
  using Class = T;
  using Event = TEventOf<Args...>;
};
}  // namespace rtl_detail

template <class... Args>
class TEventOf {
 public:
  using Thunk = void (*)(TObject*, Args...);

  TEventOf() = default;
  TEventOf(std::nullptr_t) {}

  // The event that calls `Handler` (a member function of the object's class
  // taking Args) on `object`.
  template <auto Handler>
  static TEventOf Bind(typename rtl_detail::HandlerTraits<decltype(Handler)>::Class* object) {
    using Traits = rtl_detail::HandlerTraits<decltype(Handler)>;
    static_assert(std::is_same_v<typename Traits::Event, TEventOf>, "handler of another signature");
    return TEventOf(object, &Invoke<Handler, typename Traits::Class>);
  }

  bool Assigned() const { return thunk_ != nullptr; }
  explicit operator bool() const { return Assigned(); }
  TObject* Data() const { return data_; }

  void operator()(Args... args) const {
    if (thunk_) thunk_(data_, std::forward<Args>(args)...);
  }

  TMethod Method() const { return {reinterpret_cast<TMethodCode>(thunk_), data_}; }
  // Only for a method whose code was made for this signature (the RTTI checks
  // the signature before it calls this).
  static TEventOf FromMethod(const TMethod& m) { return TEventOf(m.Data, reinterpret_cast<Thunk>(m.Code)); }

  // Identifies the signature, so that the RTTI refuses a handler of another type.
  static const void* Signature() {
    static const char tag = 0;
    return &tag;
  }

  template <auto Handler, class T>
  static void Invoke(TObject* data, Args... args) {
    (static_cast<T*>(data)->*Handler)(std::forward<Args>(args)...);
  }

  friend bool operator==(const TEventOf& a, const TEventOf& b) {
    return a.thunk_ == b.thunk_ && (a.thunk_ == nullptr || a.data_ == b.data_);
  }

 private:
  TEventOf(TObject* data, Thunk thunk) : data_(data), thunk_(thunk) {}
  TObject* data_ = nullptr;
  Thunk thunk_ = nullptr;
};

// MakeEvent<&TForm::Handler>(form): the event for a handler, its type deduced.
template <auto Handler>
typename rtl_detail::HandlerTraits<decltype(Handler)>::Event MakeEvent(
    typename rtl_detail::HandlerTraits<decltype(Handler)>::Class* object) {
  using Traits = rtl_detail::HandlerTraits<decltype(Handler)>;
  return Traits::Event::template Bind<Handler>(object);
}

using TNotifyEvent = TEventOf<TObject*>;
