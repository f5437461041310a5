#pragma once
// Text work on paths that every room shares. Two backslash rules exist
// because the product needs both: a folder read from the system always gets
// its trailing "\", while a download path built from an empty folder must
// stay relative rather than start at the root.
#include <string>

namespace tessaro {

inline constexpr wchar_t kBackslash = L'\\';

// Appends "\" unless the text already ends with one; an empty text becomes "\".
[[nodiscard]] std::wstring WithTrailingBackslash(std::wstring path);
// Appends "\" unless the text is empty or already ends with one.
[[nodiscard]] std::wstring WithTrailingBackslashUnlessEmpty(std::wstring path);
// The text before the last "\" (without it); empty when there is none.
[[nodiscard]] std::wstring ParentFolder(const std::wstring& path);

// Whether a path stands on its own: it begins with two backslashes (a share,
// or a long form) or has a colon as its second character ("C:\x", "C:x").
[[nodiscard]] bool IsAbsolutePath(const std::wstring& path);

// The local path that a "file://" URL (prefix in any case) names; empty for
// any other text. After the slashes that follow the prefix, a drive letter
// and ":" begin a local path ("file:///C:/x" gives "C:\x"); anything else
// begins a host name, so the URL names a share ("file://server/share/x" and
// "file:////server/share/x" give "\\server\share\x"). "/" becomes "\".
[[nodiscard]] std::wstring FileUrlLocalPath(const std::wstring& location);

}  // namespace tessaro
