#include "core/config_path.h"

#include "platform/path_text.h"

namespace tessaro {

namespace {

constexpr wchar_t kExtensionDot = L'.';
constexpr wchar_t kConfigExtension[] = L".ini";

}  // namespace

std::wstring ConfigPathFor(const std::wstring& executablePath) {
  const std::size_t separator = executablePath.rfind(kBackslash);
  const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;

  // Only the file name's own dot counts: a dot in a folder name is no extension.
  std::wstring name = executablePath.substr(nameStart);
  const std::size_t dot = name.rfind(kExtensionDot);
  if (dot != std::wstring::npos) name.resize(dot);

  std::wstring path;
  // The folder may itself end with "\" (a doubled separator, or a root such
  // as "\\?\" forms); never write two in a row.
  if (separator != std::wstring::npos) path = WithTrailingBackslash(executablePath.substr(0, separator));
  path += name;
  path += kConfigExtension;
  return path;
}

}  // namespace tessaro
