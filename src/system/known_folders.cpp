#include "system/known_folders.h"

#include "rtl/filenames.h"
#include "rtl/textutils.h"
#include "rtl/wide_string.h"
#include "system/system_caches.h"
#include "system/wow64.h"

namespace {

// A folder below the system drive: `head`, then (when `tail` is set) the
// user's name and `tail`.
struct FolderPlace {
  const char16_t* head;
  const char16_t* tail = nullptr;
};

// How one side (native or WOW64) finds a folder without the shell.
struct FolderFallbacks {
  const wchar_t* variable;
  FolderPlace fromVersion6;
  FolderPlace upToVersion5;
};

struct KnownFolder {
  int csidl;
  FolderFallbacks native;
  // Only for the folders that differ in a 32-bit process on 64-bit Windows.
  const FolderFallbacks* wow64 = nullptr;
};

constexpr FolderFallbacks kProgramFilesX86 = {
    L"ProgramFiles(x86)", {u"\\Program Files (x86)"}, {u"\\Program Files (x86)"}};
constexpr FolderFallbacks kCommonFilesX86 = {L"CommonProgramFiles(x86)",
                                             {u"\\Program Files (x86)\\Common Files"},
                                             {u"\\Program Files (x86)\\Common Files"}};

constexpr KnownFolder kKnownFolders[] = {
    {CSIDL_APPDATA,
     {L"APPDATA",
      {u"\\Users\\", u"\\AppData\\Roaming"},
      {u"\\Documents and Settings\\", u"\\Application Data"}}},
    {CSIDL_LOCAL_APPDATA,
     {L"LOCALAPPDATA",
      {u"\\Users\\", u"\\AppData\\Local"},
      {u"\\Documents and Settings\\", u"\\Local Settings\\Application Data"}}},
    {CSIDL_COMMON_APPDATA,
     {L"ProgramData", {u"\\ProgramData"}, {u"\\Documents and Settings\\All Users\\Application Data"}}},
    {CSIDL_PROGRAM_FILES,
     {L"ProgramFiles", {u"\\Program Files"}, {u"\\Program Files"}},
     &kProgramFilesX86},
    {CSIDL_PROFILE,
     {L"USERPROFILE", {u"\\Users\\", u""}, {u"\\Documents and Settings\\", u""}}},
    {CSIDL_PROGRAM_FILES_COMMON,
     {L"CommonProgramFiles", {u"\\Program Files\\Common Files"}, {u"\\Program Files\\Common Files"}},
     &kCommonFilesX86},
};

const KnownFolder* FindKnownFolder(int csidl) {
  for (const KnownFolder& folder : kKnownFolders)
    if (folder.csidl == csidl) return &folder;
  return nullptr;
}

String AskShell(HWND ownerWindow, int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!CurrentSystemApi().SHGetSpecialFolderPathW(ownerWindow, buffer, csidl, FALSE)) return {};
  buffer[MAX_PATH] = L'\0';
  return FromWide(buffer);
}

String ReadEnvironmentVariable(const wchar_t* name) {
  String value(MAX_PATH, u'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(value.size());
    const DWORD length = CurrentSystemApi().GetEnvironmentVariableW(name, WideBuffer(value), size);
    if (length == 0) return {};
    if (length < size) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // too small: `length` is the size needed, zero included
  }
}

// The drive kernel32.dll was loaded from.
String SystemDrive() {
  const SystemApi& api = CurrentSystemApi();
  const HMODULE kernel32 = api.GetModuleHandleW(L"kernel32.dll");
  if (!kernel32) return {};
  String name(MAX_PATH, u'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(name.size());
    const DWORD length = api.GetModuleFileNameW(kernel32, WideBuffer(name), size);
    if (length == 0) return {};
    if (length < size) {
      name.resize(length);
      return ExtractFileDrive(name);
    }
    if (name.size() >= 32768) return {};  // longer than any file name
    name.resize(name.size() * 2);         // truncated
  }
}

String PlaceOnSystemDrive(const FolderPlace& place) {
  String path = SystemDrive() + place.head;
  if (place.tail) path += GetLoginUserName() + place.tail;
  return path;
}

}  // namespace

String GetSpecialFolderPath(HWND ownerWindow, int csidl) {
  try {
    String path = AskShell(ownerWindow, csidl);
    if (path.size() > 2) return path;
    const KnownFolder* folder = FindKnownFolder(csidl);
    if (!folder) return path;

    const FolderFallbacks& side = (folder->wow64 && IsWow64()) ? *folder->wow64 : folder->native;
    String fromEnvironment = Trim(ReadEnvironmentVariable(side.variable));
    if (!fromEnvironment.empty()) return fromEnvironment;
    const bool version6 = ReportedPlatformVersion().major > 5;
    return PlaceOnSystemDrive(version6 ? side.fromVersion6 : side.upToVersion5);
  } catch (...) {  // out of memory: an empty answer, as promised
    return {};
  }
}

String GetLoginUserName() {
  try {
    constexpr DWORD kBufferLength = 256;
    wchar_t buffer[kBufferLength] = {};
    DWORD size = kBufferLength - 1;
    if (!CurrentSystemApi().GetUserNameW(buffer, &size)) return {};
    // `size` counts the terminating zero.
    if (size == 0 || size > kBufferLength - 1) return {};
    return FromWide(buffer, size - 1);
  } catch (...) {
    return {};
  }
}
