#include "platform/system_library.h"

#include <cwchar>
#include <string>

#include "platform/path_text.h"
#include "platform/process_once.h"
#include "platform/wow64.h"

namespace tessaro {
namespace {

constinit ProcessOnce<bool> SystemFolderSearch;

// Present from Windows 8 on, and on Windows 7 with KB2533623; where it exists
// LoadLibraryExW understands the LOAD_LIBRARY_SEARCH_* flags.
bool SystemFolderSearchSupported() noexcept {
  return SystemFolderSearch.Get([] {
    return GetProcedure<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") !=
           nullptr;
  });
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
  if (name == nullptr || *name == L'\0' || std::wcspbrk(name, L"\\/:") != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (IsRedirectionOffOnThisThread()) {
    SetLastError(ERROR_INVALID_STATE);
    return nullptr;
  }
  if (SystemFolderSearchSupported()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = WithTrailingBackslash(std::wstring(folder, length)) + name;
  // The altered search path makes the library's own dependencies come from
  // the system folder too, not from the executable's folder.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LazySystemLibrary::Get() noexcept {
  PVOID loaded = InterlockedCompareExchangePointer(&module_, nullptr, nullptr);
  if (loaded != nullptr) return static_cast<HMODULE>(loaded);
  const HMODULE module = LoadSystemLibrary(name_);
  // Two threads that load at once get the same module; either may keep it.
  if (module != nullptr) InterlockedExchangePointer(&module_, module);
  return module;
}

}  // namespace tessaro
