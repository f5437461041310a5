#pragma once
// The version of a file as its version resource states it: four 16-bit
// numbers, most significant first.
#include <string>

#include "prereq/version.h"

namespace tessaro {

// Reads the resource of |path| itself. False (and |version| untouched) when
// the file cannot be read or has no version resource.
[[nodiscard]] bool ReadVersionResource(const std::wstring& path, VersionValue& version);

// Reads the resource from a copy made in the temporary folder, deleted
// afterwards. |copied| tells whether the copy could be made at all.
[[nodiscard]] bool ReadVersionResourceFromCopy(const std::wstring& path, VersionValue& version, bool& copied);

// True when |path| begins with the Windows folder, character by character.
[[nodiscard]] bool IsBelowWindowsFolder(const std::wstring& path);

// The version the file search compares: the zero version when the file has
// no version resource. On Windows 10 and later, files below the Windows
// folder are read through a copy (the file itself when the copy fails).
[[nodiscard]] VersionValue GetFileVersion(const std::wstring& path);

}  // namespace tessaro
