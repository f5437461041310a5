#include "platform/path_text.h"

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

}  // namespace tessaro
