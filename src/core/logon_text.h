#pragma once
// The names and texts under which a program is registered to start at the
// user's next logon. Portable, so that the host tests check them.
#include <string>

namespace tessaro {

// The command with every character a file name cannot hold made "_", and ".job".
[[nodiscard]] std::wstring ScheduledTaskName(const std::wstring& command);
// The command in double quotes unless it already begins with one; empty stays empty.
[[nodiscard]] std::wstring QuotedProgram(const std::wstring& command);
// The command, or its last 79 characters when it is longer.
[[nodiscard]] std::wstring RunValueName(const std::wstring& command);
// "Tessaro." and the executable's path with "\" and ":" made "_", of the
// path only its last 200 characters: the name of the value that starts the
// same setup again after a restart.
[[nodiscard]] std::wstring ResumeValueName(const std::wstring& executablePath);
// The command (quoted when it holds a blank and is not quoted yet), then
// the parameters after one blank.
[[nodiscard]] std::wstring RunValueData(const std::wstring& command, const std::wstring& parameters);

}  // namespace tessaro
