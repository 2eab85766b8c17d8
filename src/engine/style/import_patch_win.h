#pragma once
// Import-table redirection: the entries through which a module calls a
// DLL's functions are pointed at replacements, and pointed back later.
//
//   void* saved = nullptr;
//   TImportPatch patch{"GetSysColor", &MyGetSysColor, &saved};
//   PatchImports(nullptr, "user32.dll", {&patch, 1});       // 1
//   TImportPatch undo{"GetSysColor", saved, nullptr};
//   PatchImports(nullptr, "user32.dll", {&undo, 1});        // 1
//
// Only imports by name are patched. Unreadable headers, descriptors and
// entries are skipped and reported to the debugger output ("RdApiHook err1:"
// for an entry, "err2:" for a descriptor, "err3:" for the module;
// "FindDllFromIAT err2:" for FindDllFromIAT); the walk goes on where it can.

#include <cstdint>
#include <span>

struct TImportPatch {
  const char* Name;    // the imported function's name (compared ignoring case)
  void* Replacement;   // what the entry is to hold
  void** Slot;         // receives the entry's previous address; may be null
};

// `module` null: the executable's own. True when it imports `dll_name`
// (compared ignoring case).
bool FindDllFromIAT(void* module, const char* dll_name);

// Patches the module's entries of `dll_name`; an entry whose slot is already
// filled is not redirected again. The number of entries patched, or -1 when
// the module has no readable import table or does not import the DLL.
int32_t PatchImports(void* module, const char* dll_name, std::span<const TImportPatch> patches);
