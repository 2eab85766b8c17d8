#pragma once
// Replaces a slot of replaceable.h by a recorder that counts its calls (by
// slot name) and calls the framework's own function; restores the slot
// when it goes out of scope.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <type_traits>
#include <utility>

#include "vcl/replaceable.h"

// Calls of each recorded slot, by slot name.
inline std::map<std::u16string, int>& SlotCalls() {
  static std::map<std::u16string, int> calls;
  return calls;
}

template <auto* Slot, class Fn>
struct SlotRecorder;
template <auto* Slot, class R, class... A>
struct SlotRecorder<Slot, R (*)(A...)> {
  static R Call(A... args) {
    ++SlotCalls()[Slot->Name()];
    return Slot->Original()(std::forward<A>(args)...);
  }
};

template <auto* Slot>
struct Recording {
  Recording() {
    using Function = typename std::remove_reference_t<decltype(*Slot)>::Function;
    EXPECT_TRUE(Slot->Replace(&SlotRecorder<Slot, Function>::Call));
  }
  ~Recording() { Slot->Restore(); }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
};
