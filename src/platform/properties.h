#pragma once
// Expansion of "[FolderProperty]", "%ENVIRONMENT%" and "!HKLM\key\value!"
// references in configuration texts, with the real Windows lookups.
#include <string>

namespace tessaro {

[[nodiscard]] std::wstring ResolveProperties(const std::wstring& text, bool use64BitView);
// On success |folder| ends with "\"; on failure it is left untouched.
[[nodiscard]] bool ResolveFolderProperty(const std::wstring& name, bool use64BitView, std::wstring& folder);
// The folder SHGetFolderPathW gives for a CSIDL, in the same form.
[[nodiscard]] bool GetShellFolder(int csidl, std::wstring& folder);
// The shell's item-list route to a CSIDL's folder (SHGetSpecialFolderLocation,
// then SHGetPathFromIDListW), without a trailing "\". False when the shell
// does not know the folder, so that the caller may try an older route; true
// with an empty |folder| when it knows it but the path cannot be read.
[[nodiscard]] bool GetShellItemListFolder(int csidl, std::wstring& folder);

}  // namespace tessaro
