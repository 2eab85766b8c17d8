#include "engine/style/import_patch_win.h"

#include "vcl/win_api.h"

#include <cstring>
#include <string>

#include "engine/style/readable_memory_win.h"

namespace {

void Report(const char* prefix, const char* what) { OutputDebugStringA((std::string(prefix) + " " + what).c_str()); }

const uint8_t* ModuleBase(void* module) {
  return static_cast<const uint8_t*>(module ? module : static_cast<void*>(GetModuleHandleW(nullptr)));
}

// The module's import descriptors, or null (reported under `prefix`).
const IMAGE_IMPORT_DESCRIPTOR* ImportDescriptors(const uint8_t* base, const char* prefix) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (!IsReadable(dos, sizeof(*dos)) || dos->e_magic != IMAGE_DOS_SIGNATURE) {
    Report(prefix, "no readable module header");
    return nullptr;
  }
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (!IsReadable(nt, sizeof(*nt)) || nt->Signature != IMAGE_NT_SIGNATURE) {
    Report(prefix, "no readable PE header");
    return nullptr;
  }
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0 || dir.Size == 0) return nullptr;
  return reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
}

// Calls `visit` for each descriptor until one is unreadable or all zero.
template <class Visit>
void ForEachDescriptor(const uint8_t* base, const IMAGE_IMPORT_DESCRIPTOR* desc, const char* prefix,
                       Visit&& visit) {
  static constexpr IMAGE_IMPORT_DESCRIPTOR kZero{};
  TReadableCache cache;
  for (;; ++desc) {
    if (!IsReadable(desc, sizeof(*desc), &cache)) {
      Report(prefix, "unreadable import descriptor");
      return;
    }
    if (std::memcmp(desc, &kZero, sizeof(kZero)) == 0) return;
    const char* name = reinterpret_cast<const char*>(base + desc->Name);
    if (desc->Name == 0 || !IsReadable(name, 1)) {
      Report(prefix, "unreadable DLL name");
      continue;
    }
    if (!visit(*desc, name)) return;
  }
}

// Puts `value` into an import entry, adding write access to the page's own
// protection (the page may hold code) for the write only.
bool WriteEntry(void** entry, void* value) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(entry, &info, sizeof(info)) != sizeof(info)) return false;
  const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const DWORD writable = (info.Protect & executable) ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
  DWORD old_protect = 0;
  if (!VirtualProtect(entry, sizeof(void*), writable, &old_protect)) return false;
  *entry = value;
  DWORD ignored = 0;
  VirtualProtect(entry, sizeof(void*), old_protect, &ignored);
  FlushInstructionCache(GetCurrentProcess(), entry, sizeof(void*));
  return true;
}

}  // namespace

bool FindDllFromIAT(void* module, const char* dll_name) {
  constexpr const char* kPrefix = "FindDllFromIAT err2:";
  const uint8_t* base = ModuleBase(module);
  const IMAGE_IMPORT_DESCRIPTOR* desc = ImportDescriptors(base, kPrefix);
  if (!desc) return false;
  bool found = false;
  ForEachDescriptor(base, desc, kPrefix, [&](const IMAGE_IMPORT_DESCRIPTOR&, const char* name) {
    found = lstrcmpiA(name, dll_name) == 0;
    return !found;
  });
  return found;
}

int32_t PatchImports(void* module, const char* dll_name, std::span<const TImportPatch> patches) {
  const uint8_t* base = ModuleBase(module);
  const IMAGE_IMPORT_DESCRIPTOR* desc = ImportDescriptors(base, "RdApiHook err3:");
  if (!desc) return -1;
  int32_t patched = -1;
  ForEachDescriptor(base, desc, "RdApiHook err2:", [&](const IMAGE_IMPORT_DESCRIPTOR& d, const char* name) {
    if (lstrcmpiA(name, dll_name) != 0) return true;
    if (patched < 0) patched = 0;
    // Without the name thunks the entries cannot be told apart.
    if (d.OriginalFirstThunk == 0) {
      Report("RdApiHook err2:", "import descriptor without names");
      return true;
    }
    auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d.OriginalFirstThunk);
    auto* entries = reinterpret_cast<void**>(const_cast<uint8_t*>(base) + d.FirstThunk);
    TReadableCache cache;
    for (; IsReadable(names, sizeof(*names), &cache) && names->u1.AddressOfData != 0; ++names, ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (!IsReadable(by_name, sizeof(*by_name)) || !IsReadable(entries, sizeof(void*))) {
        Report("RdApiHook err1:", "unreadable import entry");
        continue;
      }
      const char* function = reinterpret_cast<const char*>(by_name->Name);
      for (const TImportPatch& patch : patches) {
        if (!patch.Replacement || lstrcmpiA(function, patch.Name) != 0) continue;
        if (patch.Slot && *patch.Slot) break;  // already redirected
        void* previous = *entries;
        if (!WriteEntry(entries, patch.Replacement)) {
          Report("RdApiHook err1:", patch.Name);
          return false;
        }
        if (patch.Slot) *patch.Slot = previous;
        if (++patched == int32_t(patches.size())) return false;
        break;
      }
    }
    return true;
  });
  return patched;
}
