#pragma once
// What internet transfers and local copies share about the ".part" file:
// how it replaces the target, and the access list of a secure one.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/security.h"

namespace tessaro {

// Deletes the target and moves the part file onto it; when the move fails,
// copies it (overwriting), deletes the part file and sets |*copied|. 0, or
// the copy's error.
[[nodiscard]] unsigned long ReplaceTargetWithPart(const std::wstring& partPath, const std::wstring& targetPath,
                                                  bool* copied = nullptr);

// Read and write for Everyone and LocalSystem. Null (and |error| set) on failure.
[[nodiscard]] std::unique_ptr<SecurityDescriptor> SharedFileDescriptor(DWORD& error);

}  // namespace tessaro
