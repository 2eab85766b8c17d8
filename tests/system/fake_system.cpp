#include "fake_system.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <stdexcept>

#include "rtl/wide_string.h"

namespace {

FakeSystem* g_current = nullptr;

const SystemApi& Real() {
  static const SystemApi real = RealSystemApi();
  return real;
}

template <typename Function>
FARPROC AsFarProc(Function function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

String OrNone(const wchar_t* text) { return text ? FromWide(text) : String(u"(none)"); }

// Fake handles never collide with real ones: real handles are multiples of 4.
HANDLE FakeSnapshotHandle() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x7001)); }
HANDLE FakeProcessHandle(DWORD id) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(id) * 4 + 1); }
bool IsFakeHandle(HANDLE handle) { return (reinterpret_cast<INT_PTR>(handle) & 3) == 1; }

size_t g_walkIndex = 0;

BOOL WINAPI FakeIsWow64Process(HANDLE, BOOL* isWow64) {
  FakeSystem& fake = FakeSystem::Current();
  ++fake.isWow64ProcessCalls;
  if (fake.isWow64Process->raises) throw std::runtime_error("IsWow64Process raised");
  *isWow64 = fake.isWow64Process->stores;
  return fake.isWow64Process->returns;
}

HRESULT WINAPI FakeOpenFolderAndSelectItems(const ITEMIDLIST* folder, UINT, const ITEMIDLIST**, DWORD) {
  FakeSystem& fake = FakeSystem::Current();
  if (fake.selectRaises) throw std::runtime_error("SHOpenFolderAndSelectItems raised");
  wchar_t path[MAX_PATH] = {};
  fake.selectedPaths.push_back(SHGetPathFromIDListW(folder, path) ? FromWide(path) : u"(no path)");
  return fake.selectResult;
}

void WINAPI CountingILFree(ITEMIDLIST* list) {
  ++FakeSystem::Current().ilFreeCalls;
  ILFree(list);
}

HANDLE WINAPI FakeCreateToolhelp32Snapshot(DWORD flags, DWORD) {
  if (flags != TH32CS_SNAPPROCESS) return INVALID_HANDLE_VALUE;
  ++FakeSystem::Current().openHandles;
  return FakeSnapshotHandle();
}

BOOL FillEntry(HANDLE snapshot, PROCESSENTRY32W* entry) {
  const std::vector<FakeProcess>& processes = *FakeSystem::Current().processes;
  if (snapshot != FakeSnapshotHandle() || entry->dwSize != sizeof *entry || g_walkIndex >= processes.size())
    return FALSE;
  const FakeProcess& process = processes[g_walkIndex++];
  entry->th32ProcessID = process.id;
  std::memset(entry->szExeFile, 0, sizeof entry->szExeFile);
  std::memcpy(entry->szExeFile, process.exeFile.data(), process.exeFile.size() * sizeof(wchar_t));
  return TRUE;
}

BOOL WINAPI FakeProcess32First(HANDLE snapshot, PROCESSENTRY32W* entry) {
  g_walkIndex = 0;
  return FillEntry(snapshot, entry);
}

BOOL WINAPI FakeProcess32Next(HANDLE snapshot, PROCESSENTRY32W* entry) { return FillEntry(snapshot, entry); }

FARPROC FakeGetProcAddress(HMODULE module, const char* name) {
  FakeSystem& fake = FakeSystem::Current();
  if (IS_INTRESOURCE(name)) return Real().GetProcAddress(module, name);
  const std::string export_name = name;
  ++fake.exportLookups[export_name];
  if (fake.hiddenExports.count(export_name)) return nullptr;
  if (export_name == "IsWow64Process" && fake.isWow64Process) return AsFarProc(&FakeIsWow64Process);
  if (export_name == "SHOpenFolderAndSelectItems") return AsFarProc(&FakeOpenFolderAndSelectItems);
  if (export_name == "ILFree") return AsFarProc(&CountingILFree);
  if (fake.processes) {
    if (export_name == "CreateToolhelp32Snapshot") return AsFarProc(&FakeCreateToolhelp32Snapshot);
    if (export_name == "Process32FirstW") return AsFarProc(&FakeProcess32First);
    if (export_name == "Process32NextW") return AsFarProc(&FakeProcess32Next);
  }
  return Real().GetProcAddress(module, name);
}

SystemApi MakeFakeApi() {
  SystemApi api = Real();
  api.GetProcAddress = FakeGetProcAddress;
  api.GetModuleFileNameW = [](HMODULE module, wchar_t* buffer, DWORD size) -> DWORD {
    const FakeSystem& fake = FakeSystem::Current();
    if (!fake.kernel32FileName || module != Real().GetModuleHandleW(L"kernel32.dll"))
      return Real().GetModuleFileNameW(module, buffer, size);
    const String& name = *fake.kernel32FileName;
    const DWORD length = static_cast<DWORD>(name.size());
    const DWORD copied = length < size ? length : size;
    std::memcpy(buffer, name.data(), copied * sizeof(wchar_t));
    if (copied < size) buffer[copied] = L'\0';
    return copied;
  };
  api.GetEnvironmentVariableW = [](const wchar_t* name, wchar_t* buffer, DWORD size) -> DWORD {
    FakeSystem& fake = FakeSystem::Current();
    fake.variablesRead.push_back(name);
    if (!fake.environment) return Real().GetEnvironmentVariableW(name, buffer, size);
    const auto found = fake.environment->find(name);
    if (found == fake.environment->end()) return 0;
    const String& value = found->second;
    const DWORD length = static_cast<DWORD>(value.size());
    if (length + 1 > size) return length + 1;
    std::memcpy(buffer, value.c_str(), (length + 1) * sizeof(wchar_t));
    return length;
  };
  api.GetVersionExW = [](OSVERSIONINFOW* info) -> BOOL {
    const FakeSystem& fake = FakeSystem::Current();
    if (!Real().GetVersionExW(info)) return FALSE;
    if (fake.version) {
      info->dwMajorVersion = fake.version->first;
      info->dwMinorVersion = fake.version->second;
    }
    return TRUE;
  };
  api.GetCurrentProcess = []() -> HANDLE {
    FakeSystem& fake = FakeSystem::Current();
    ++fake.getCurrentProcessCalls;
    if (fake.getCurrentProcessRaises) throw std::runtime_error("GetCurrentProcess raised");
    return Real().GetCurrentProcess();
  };
  api.OpenProcess = [](DWORD access, BOOL inheritHandle, DWORD processId) -> HANDLE {
    FakeSystem& fake = FakeSystem::Current();
    if (!fake.processes) return Real().OpenProcess(access, inheritHandle, processId);
    if (access != PROCESS_TERMINATE || inheritHandle || fake.unopenable.count(processId)) return nullptr;
    ++fake.openHandles;
    return FakeProcessHandle(processId);
  };
  api.TerminateProcess = [](HANDLE process, UINT exitCode) -> BOOL {
    FakeSystem& fake = FakeSystem::Current();
    if (!fake.processes || !IsFakeHandle(process)) return Real().TerminateProcess(process, exitCode);
    if (exitCode != 0) return FALSE;
    fake.terminated.push_back(static_cast<DWORD>(reinterpret_cast<INT_PTR>(process) / 4));
    return TRUE;
  };
  api.CloseHandle = [](HANDLE handle) -> BOOL {
    FakeSystem& fake = FakeSystem::Current();
    if (!fake.processes || !IsFakeHandle(handle)) return Real().CloseHandle(handle);
    --fake.openHandles;
    return TRUE;
  };
  api.GetUserNameW = [](wchar_t* buffer, DWORD* size) -> BOOL {
    FakeSystem& fake = FakeSystem::Current();
    fake.userNameSizePassed = *size;
    if (!fake.userName) return Real().GetUserNameW(buffer, size);
    const DWORD needed = static_cast<DWORD>(fake.userName->size()) + 1;
    if (needed > *size) {
      *size = needed;
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memcpy(buffer, fake.userName->c_str(), needed * sizeof(wchar_t));
    *size = needed;
    return TRUE;
  };
  api.SHGetSpecialFolderPathW = [](HWND owner, wchar_t* path, int csidl, BOOL create) -> BOOL {
    const FakeSystem& fake = FakeSystem::Current();
    if (fake.shellFolderFails) return FALSE;
    if (!fake.shellFolder) return Real().SHGetSpecialFolderPathW(owner, path, csidl, create);
    std::memcpy(path, fake.shellFolder->c_str(), (fake.shellFolder->size() + 1) * sizeof(wchar_t));
    return TRUE;
  };
  api.ShellExecuteW = [](HWND, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                         const wchar_t* directory, int show) -> HINSTANCE {
    FakeSystem& fake = FakeSystem::Current();
    fake.shellExecuteCalls.push_back({OrNone(verb), OrNone(file), OrNone(parameters), OrNone(directory), show});
    return reinterpret_cast<HINSTANCE>(fake.shellExecuteResult);
  };
  api.CoInitializeEx = [](void* reserved, DWORD coInit) -> HRESULT {
    ++FakeSystem::Current().comInitializations;
    return Real().CoInitializeEx(reserved, coInit);
  };
  api.CoUninitialize = []() {
    ++FakeSystem::Current().comUninitializations;
    Real().CoUninitialize();
  };
  api.SHBrowseForFolderW = [](BROWSEINFOW* info) -> ITEMIDLIST* {
    FakeSystem& fake = FakeSystem::Current();
    return fake.browseForFolder ? fake.browseForFolder(*info) : Real().SHBrowseForFolderW(info);
  };
  api.SetErrorMode = [](UINT mode) -> UINT {
    FakeSystem::Current().errorModes.push_back(mode);
    return Real().SetErrorMode(mode);
  };
  api.CoTaskMemFree = [](void* block) {
    ++FakeSystem::Current().coTaskMemFreeCalls;
    Real().CoTaskMemFree(block);
  };
  return api;
}

}  // namespace

FakeSystem::FakeSystem() {
  g_current = this;
  scope_ = std::make_unique<ScopedSystemApi>(MakeFakeApi());
}

FakeSystem::~FakeSystem() {
  scope_.reset();
  g_current = nullptr;
}

FakeSystem& FakeSystem::Current() { return *g_current; }
