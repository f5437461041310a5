#pragma once
// Wide text as 8-bit ANSI text, for the few places that must write it: the
// registry store read by older tools, internet shortcuts and batch scripts.
#include <windows.h>

#include <string>

namespace tessaro {

// In |codePage|; a character the code page cannot represent becomes its
// replacement character (usually "?"). Empty text for empty text.
[[nodiscard]] std::string ToAnsi(const std::wstring& text, UINT codePage = CP_ACP);

// In the ANSI code page, or empty when a character has no exact form there:
// for file names, where a best-fit or "?" stand-in would name another file
// (or a pattern that a command widens).
[[nodiscard]] std::string ToAnsiExactly(const std::wstring& text);

}  // namespace tessaro
