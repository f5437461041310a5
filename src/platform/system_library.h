#pragma once
// Libraries loaded on first use come from the system folder only: a
// bootstrapper usually runs from a Downloads folder full of other files.
#include <windows.h>

namespace tessaro {

// LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32 where supported, else the
// full path under GetSystemDirectoryW. The module stays loaded until exit.
// A name that carries a folder ("..\x.dll") is refused: it could leave the
// system folder.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// GetProcAddress typed as the function pointer the caller expects; nullptr
// when the module or the entry is missing.
template <typename Function>
[[nodiscard]] Function GetProcedure(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  // Through void* so that the compiler accepts the change of signature.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tessaro
