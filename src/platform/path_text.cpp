#include "platform/path_text.h"

#include <string_view>

namespace tessaro {

std::wstring WithTrailingBackslash(std::wstring path) {
  if (path.empty() || path.back() != kBackslash) path += kBackslash;
  return path;
}

std::wstring WithTrailingBackslashUnlessEmpty(std::wstring path) {
  if (!path.empty() && path.back() != kBackslash) path += kBackslash;
  return path;
}

std::wstring ParentFolder(const std::wstring& path) {
  const std::size_t separator = path.rfind(kBackslash);
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool IsAbsolutePath(const std::wstring& path) {
  return path.starts_with(L"\\\\") || (path.size() >= 2 && path[1] == L':');
}

std::wstring FileUrlLocalPath(const std::wstring& location) {
  static constexpr std::wstring_view kScheme = L"file://";
  if (location.size() < kScheme.size()) return {};
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    // The prefix is ASCII: folding A-Z is all the case-blindness it needs.
    const wchar_t c = location[i];
    if ((c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c) != kScheme[i]) return {};
  }
  const std::size_t start = location.find_first_not_of(L"/\\", kScheme.size());
  if (start == std::wstring::npos) return {};
  std::wstring rest = location.substr(start);
  for (wchar_t& c : rest) {
    if (c == L'/') c = kBackslash;
  }
  const wchar_t drive = static_cast<wchar_t>(rest[0] | 0x20);
  if (rest.size() >= 2 && rest[1] == L':' && drive >= L'a' && drive <= L'z') return rest;
  // Authors who write a host name mean the share, not a folder of the current one.
  return L"\\\\" + rest;
}

}  // namespace tessaro
