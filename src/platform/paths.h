#pragma once
// Path and folder helpers. Every path may be long: operations that touch the
// file system add the "\\?\" forms themselves where the classic limit bites.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/path_text.h"

namespace tessaro {

[[nodiscard]] std::wstring ToLongForm(const std::wstring& path);
// Takes the long form off again ("\\?\UNC\server" becomes "\\server"), for
// APIs such as the shell's that do not understand it.
[[nodiscard]] std::wstring FromLongForm(const std::wstring& path);
[[nodiscard]] bool DeleteFileLong(const std::wstring& path) noexcept;
[[nodiscard]] bool RemoveDirectoryLong(const std::wstring& path) noexcept;
[[nodiscard]] std::wstring NormalizePath(const std::wstring& path);
// GetFullPathNameW (against the current directory) followed by NormalizePath;
// when GetFullPathNameW fails, the path as given is normalized.
[[nodiscard]] std::wstring MakeFullPath(const std::wstring& path);
[[nodiscard]] bool PathExists(const std::wstring& path) noexcept;
// Returns a Windows error code (0 on success); folders created are appended to
// |created|. A local path that fails half-way loses the folders this call made.
[[nodiscard]] unsigned long CreateDirectories(const std::wstring& path, bool lastIsFolder,
                                              std::vector<std::wstring>* created);
void DeleteFolderContents(const std::wstring& folder);
void RemoveEmptyParents(const std::wstring& path, const std::wstring& stopAt);
// GetTempPathW, computed once per process (ends with "\").
[[nodiscard]] const std::wstring& GetTempFolder();
// GetModuleFileNameW of the process, read once, never cut; empty when it fails.
[[nodiscard]] const std::wstring& RunningExecutablePath();
// Called before the first RunningExecutablePath, makes it answer |path|: the
// checker evaluates as the program beside a configuration would.
void StandInForExecutable(const std::wstring& path);
[[nodiscard]] std::wstring CreateUniqueTempFile(const std::wstring& folder, const std::wstring& prefix,
                                                const std::wstring& extension);
[[nodiscard]] bool HasFreeSpace(const std::wstring& path, std::uint64_t bytes);

}  // namespace tessaro
