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

}  // namespace tessaro
