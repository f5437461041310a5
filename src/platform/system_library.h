#pragma once
// Libraries loaded on first use come from the system folder only: a
// bootstrapper usually runs from a Downloads folder full of other files.
#include <windows.h>

namespace tessaro {

// LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32 where supported, else the
// full path under GetSystemDirectoryW. The module stays loaded until exit.
// A name that carries a folder ("..\x.dll") is refused: it could leave the
// system folder. Inside a scope that turned file-system redirection off the
// load is refused too (ERROR_INVALID_STATE): a 32-bit process would get the
// 64-bit library.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// A system library loaded on first use and kept until exit. Only a load that
// worked is kept: one that failed (refused while redirection was off, say) is
// tried again by the next caller instead of leaving the run without it.
class LazySystemLibrary {
 public:
  explicit constexpr LazySystemLibrary(const wchar_t* name) noexcept : name_(name) {}
  LazySystemLibrary(const LazySystemLibrary&) = delete;
  LazySystemLibrary& operator=(const LazySystemLibrary&) = delete;

  // The module, loading it now if no earlier call did; nullptr when it cannot be loaded.
  [[nodiscard]] HMODULE Get() noexcept;

 private:
  const wchar_t* name_;
  PVOID volatile module_ = nullptr;
};

// GetProcAddress typed as the function pointer the caller expects; nullptr
// when the module or the entry is missing.
template <typename Function>
[[nodiscard]] Function GetProcedure(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  // Through void* so that the compiler accepts the change of signature.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tessaro
