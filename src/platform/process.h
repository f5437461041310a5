#pragma once
// Starting programs, with or without waiting for their exit code.
#include <string>

namespace tessaro {

[[nodiscard]] bool RunProcess(const std::wstring& application, const std::wstring& commandLine,
                              unsigned long* exitCode, unsigned long creationFlags);
[[nodiscard]] bool ShellOpen(const std::wstring& file, const std::wstring& parameters,
                             unsigned long* exitCode, bool hidden, const std::wstring& directory);
[[nodiscard]] bool IsRunningAsLocalSystem();

}  // namespace tessaro
