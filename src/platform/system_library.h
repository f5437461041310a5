#pragma once
// Libraries loaded on first use come from the system folder only: a
// bootstrapper usually runs from a Downloads folder full of other files.
#include <windows.h>

namespace tessaro {

// LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32 where supported, else the
// full path under GetSystemDirectoryW. The module stays loaded until exit.
[[nodiscard]] HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

}  // namespace tessaro
