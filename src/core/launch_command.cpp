#include "core/launch_command.h"

#include "config/option_letters.h"

namespace tessaro {
namespace {


constexpr std::uint32_t kSuccessRebootRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr std::uint32_t kSeverityErrorBits = 0xC0000000;

bool Contains(const std::wstring& text, wchar_t letter) { return text.find(letter) != std::wstring::npos; }

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

CommandLineLevel CommandLineLevelFor(const std::wstring& generalOptions) {
  if (Contains(generalOptions, kOptionBasicUi)) return CommandLineLevel::Basic;
  if (Contains(generalOptions, kOptionSilent)) return CommandLineLevel::Silent;
  return CommandLineLevel::Full;
}

const std::wstring& CommandLineOf(const Prerequisite& record, CommandLineLevel level) {
  switch (level) {
    case CommandLineLevel::Silent:
      return record.noUiCommandLine;
    case CommandLineLevel::Basic:
      return record.basicUiCommandLine;
    case CommandLineLevel::Full:
      break;
  }
  return record.commandLine;
}

RebootMode RebootModeFor(const std::wstring& prerequisiteOptions) {
  if (!Contains(prerequisiteOptions, kOptionReboot)) return RebootMode::Never;
  return Contains(prerequisiteOptions, kOptionRebootIfFound) ? RebootMode::AfterSuccessIfFound
                                                             : RebootMode::AfterSuccess;
}

bool IsInstallerPackage(const std::wstring& path) {
  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || path.size() - dot != 4) return false;
  static constexpr wchar_t kExtension[] = L".msi";
  for (std::size_t i = 0; i < 4; ++i) {
    if (AsciiLower(path[dot + i]) != kExtension[i]) return false;
  }
  return true;
}

std::wstring WithLeadingBlank(const std::wstring& arguments) {
  if (arguments.empty() || arguments.front() == L' ') return arguments;
  return L' ' + arguments;
}

std::wstring InstallerCommandLine(const std::wstring& package, const std::wstring& arguments) {
  return L" /i \"" + package + L"\"" + arguments;
}

std::wstring ProgramCommandLine(const std::wstring& program, const std::wstring& arguments) {
  return L"\"" + program + L"\" " + arguments;
}

bool CallsForPause(std::uint32_t returnCode) {
  return returnCode == kSuccessRebootRequired || (returnCode & kSeverityErrorBits) == kSeverityErrorBits;
}

}  // namespace tessaro
