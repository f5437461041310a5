#pragma once
// The texts that make up a log file, kept apart from the file handling so
// that they can be checked on any host.
#include <array>
#include <cstdint>
#include <string>

#include "platform/os_description.h"

namespace tessaro {

// The banner names the build that wrote the run: logs of both builds can meet in
// one shared file.
#if defined(_WIN64)
inline constexpr const wchar_t* kLogBanner = L"\r\n<< Tessaro (x64) Log >>\r\n";
#else
inline constexpr const wchar_t* kLogBanner = L"\r\n<< Tessaro (x86) Log >>\r\n";
#endif
inline constexpr const wchar_t* kLogEndLine = L"=====================End of Log=====================\r\n";
inline constexpr const wchar_t* kLogFolderName = L"TESSARO_LOGS";
inline constexpr const wchar_t* kLogLineBreak = L"\r\n";
inline constexpr const wchar_t* kLogTimeSeparator = L"-";

// A local time to the second, as the log shows it.
struct LogTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// "2021-03-04 09-05-07": the time uses "-" too, so stamps are valid in file names.
[[nodiscard]] std::wstring FormatLogTimeStamp(const LogTime& time);

// The path (or name) with the text after the last "." of its file name
// replaced by "LOG"; a file name without a "." gets ".LOG" appended.
[[nodiscard]] std::wstring ReplaceExtensionWithLog(const std::wstring& path);

// The file name part of |executablePath| with its extension turned into "LOG".
[[nodiscard]] std::wstring DefaultLogFileName(const std::wstring& executablePath);

// "OS Version: 6.1.7601 SP1 (workstation) [x64]" followed by "\r\n".
[[nodiscard]] std::wstring FormatOsVersionLine(const OsDescription& os);

// The registers EAX, EBX, ECX, EDX of the extended leaves 0x80000002..4.
using CpuBrandRegisters = std::array<std::uint32_t, 12>;
inline constexpr std::uint32_t kCpuBrandLastLeaf = 0x80000004;
inline constexpr const char* kUnknownCpuName = "UnkownCPU";

// The processor's brand string as ANSI bytes up to the first zero (leading
// blanks kept); kUnknownCpuName when |highestExtendedLeaf| lacks the brand leaves.
[[nodiscard]] std::string DecodeCpuBrand(std::uint32_t highestExtendedLeaf, const CpuBrandRegisters& registers);

}  // namespace tessaro
