#pragma once
// Code detours: the first 5 bytes of a function replaced by a relative jump
// to its replacement, and put back on removal.
//
//   TCodeHook hook;
//   InstallCodeHook(&Original, &Replacement, hook);   // calls now reach Replacement
//   RemoveCodeHook(hook);
//
// A target that cannot be read, that already starts with a relative jump,
// or whose replacement lies beyond the ±2 GB a 32-bit displacement reaches
// (64-bit code) is left alone, reported to the debugger output; the caller
// then runs with the original function. The already-hooked case also raises
// EAssertionFailed ("Rd_Hook: already hook? jump=...") as it means two
// patchers fight over one function.

#include <cstdint>

struct TCodeHook {
  uint8_t SavedBytes[5] = {};
  void* Address = nullptr;  // where the jump was written

  // By the address, not by the first saved byte: code may start with 0.
  bool Installed() const { return Address != nullptr; }
};

// The code behind a jump thunk: an indirect jump through a pointer
// (FF 25: absolute address on x86, relative to the next instruction on x64)
// is followed to the pointer's target; any other code is its own address.
void* ResolveJumpThunk(void* code);

// True when the detour is in place.
bool InstallCodeHook(void* target, void* replacement, TCodeHook& hook);
// Writes the saved bytes back; nothing for a hook not installed.
void RemoveCodeHook(TCodeHook& hook);
