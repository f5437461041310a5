#pragma once
// Registry paths are texts "ROOT\key path\value name" split at the first and
// the last "\". A missing key or value is an answer, not an error.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"

namespace tessaro {

// HKEY_USERS for any unknown root text; nullptr when the path has no "\".
[[nodiscard]] HKEY RegistryRootFromPath(const std::wstring& path) noexcept;
// KEY_READ, plus KEY_WOW64_64KEY when use64BitView is set on 64-bit Windows.
[[nodiscard]] UniqueRegistryKey OpenRegistryKey(const std::wstring& path, bool use64BitView);
// The key opened with KEY_QUERY_VALUE, plus KEY_WOW64_64KEY whenever
// use64BitView is set (also on 32-bit Windows); empty text when anything fails.
[[nodiscard]] std::wstring ReadRegistryValueByPath(const std::wstring& path, bool use64BitView);
// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ up to the last character that is
// not NUL, REG_DWORD in decimal; any other type fails. On failure |text| is
// left untouched.
[[nodiscard]] bool ReadRegistryValueText(HKEY key, const std::wstring& valueName, std::wstring& text);
// Appends the names to |names|; on failure it holds what was enumerated
// before the failure.
[[nodiscard]] bool EnumerateValueNames(HKEY key, std::vector<std::wstring>& names);

}  // namespace tessaro
