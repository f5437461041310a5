#pragma once
// The product's name as the user should read it: the "ProductName" of a
// file's version resource, and the window title made from it.
#include <windows.h>

#include <string>

namespace tessaro {

// Read under the first translation that "\VarFileInfo\Translation" lists,
// or US English with code page 1250 (040904e2) when none is listed.
// Empty when the file has no version resource or no such value.
[[nodiscard]] std::wstring ReadProductName(const std::wstring& path);

// "%s Setup" from the executable's string table, filled with the name.
[[nodiscard]] std::wstring MakeWindowTitle(const std::wstring& productName);
// The same with the string table of |resources| (tests load the program as
// a data file).
[[nodiscard]] std::wstring MakeWindowTitle(HMODULE resources, const std::wstring& productName);

}  // namespace tessaro
