#pragma once
// Where the configuration file lies: beside the executable, with the same
// name and ".ini" in place of the last extension. Pure text work on the
// executable's path, so it builds in every tree.
#include <string>

namespace tessaro {

// The executable path up to its last "\" (without it); empty when the path
// has no "\" at all.
[[nodiscard]] std::wstring ExecutableFolderOf(const std::wstring& executablePath);

// C:\Pkg\setup.exe gives C:\Pkg\setup.ini, a.b.exe gives a.b.ini and an
// executable without any "." in its file name gets ".ini" appended.
[[nodiscard]] std::wstring ConfigPathFor(const std::wstring& executablePath);

}  // namespace tessaro
