#include "core/logon_text.h"

#include <algorithm>
#include <string_view>

namespace tessaro {
namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kBlank = L' ';
// Registry value names stay well inside every system's limit.
constexpr std::size_t kRunValueNameLength = 79;
// The end of a path tells one package from another; the prefix tells whose value it is.
constexpr std::size_t kResumePathLength = 200;
constexpr wchar_t kResumeValuePrefix[] = L"Tessaro.";

}  // namespace

std::wstring ScheduledTaskName(const std::wstring& command) {
  static constexpr wchar_t kNotInFileNames[] = L"\\/:*?\"<>|";
  std::wstring name = command;
  for (wchar_t& c : name) {
    if (std::wstring_view(kNotInFileNames).find(c) != std::wstring_view::npos) c = L'_';
  }
  return name + L".job";
}

std::wstring QuotedProgram(const std::wstring& command) {
  if (command.empty() || command.front() == kQuote) return command;
  return kQuote + command + kQuote;
}

std::wstring RunValueName(const std::wstring& command) {
  if (command.size() <= kRunValueNameLength) return command;
  return command.substr(command.size() - kRunValueNameLength);
}

std::wstring ResumeValueName(const std::wstring& executablePath) {
  std::wstring path =
      executablePath.substr(executablePath.size() - std::min(executablePath.size(), kResumePathLength));
  for (wchar_t& c : path) {
    if (c == L'\\' || c == L':') c = L'_';
  }
  return kResumeValuePrefix + path;
}

std::wstring RunValueData(const std::wstring& command, const std::wstring& parameters) {
  const bool quote = command.find(kBlank) != std::wstring::npos && (command.empty() || command.front() != kQuote);
  std::wstring data = quote ? kQuote + command + kQuote : command;
  if (!parameters.empty()) {
    if (parameters.front() != kBlank) data += kBlank;
    data += parameters;
  }
  return data;
}

}  // namespace tessaro
