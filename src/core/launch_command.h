#pragma once
// The texts a launch is made of: which configured command line applies, when
// a prerequisite wants a reboot, and the command lines handed to the system.
// Portable, so that the host tests check them without Windows.
#include <cstdint>
#include <string>

#include "config/prerequisite.h"

namespace tessaro {

// The user-interface level that picks a prerequisite's command line. "b" is
// tested before "q": a silent run with "qb" still uses the basic-UI line.
enum class CommandLineLevel : int { Silent = 0, Basic = 1, Full = 2 };

[[nodiscard]] CommandLineLevel CommandLineLevelFor(const std::wstring& generalOptions);
[[nodiscard]] const std::wstring& CommandLineOf(const Prerequisite& record, CommandLineLevel level);

// 0 never, 1 after a successful setup, 2 after a successful setup that left
// the prerequisite found. From the letters "r" and "R" of its options.
enum class RebootMode : std::int32_t { Never = 0, AfterSuccess = 1, AfterSuccessIfFound = 2 };
[[nodiscard]] RebootMode RebootModeFor(const std::wstring& prerequisiteOptions);

// Whether the path's extension (from its last ".") is ".msi" in any case.
[[nodiscard]] bool IsInstallerPackage(const std::wstring& path);
// One blank in front of non-empty arguments that do not begin with one.
[[nodiscard]] std::wstring WithLeadingBlank(const std::wstring& arguments);
// What msiexec receives: " /i " and the quoted package, then |arguments|
// as they are (WithLeadingBlank gives them their separator).
[[nodiscard]] std::wstring InstallerCommandLine(const std::wstring& package, const std::wstring& arguments);
// What a program receives: its quoted path and a blank, then |arguments|.
[[nodiscard]] std::wstring ProgramCommandLine(const std::wstring& program, const std::wstring& arguments);
// 3010, or a code of the form 0xC...: the setup is given a moment to settle.
[[nodiscard]] bool CallsForPause(std::uint32_t returnCode);

}  // namespace tessaro
