#include "platform/property_scanner.h"

#include <cstddef>

namespace tessaro {
namespace {

constexpr wchar_t kOpeners[] = L"[%!";
constexpr wchar_t kFolderOpen = L'[';
constexpr wchar_t kFolderClose = L']';
constexpr wchar_t kEnvironmentMark = L'%';
constexpr wchar_t kRegistryMark = L'!';

wchar_t ClosingFor(wchar_t opener) { return opener == kFolderOpen ? kFolderClose : opener; }

}  // namespace

std::wstring ExpandPropertyReferences(const std::wstring& text, const PropertyLookups& lookups) {
  std::wstring output;
  std::size_t copyFrom = 0;
  while (true) {
    const std::size_t open = text.find_first_of(kOpeners, copyFrom);
    if (open == std::wstring::npos) break;
    output.append(text, copyFrom, open - copyFrom);
    copyFrom = open;

    const std::size_t close = text.find(ClosingFor(text[open]), open + 1);
    // An unterminated reference ends the scan: it and everything after it
    // stay as written, even references that would be complete on their own.
    if (close == std::wstring::npos) break;

    const std::wstring name = text.substr(open + 1, close - open - 1);
    switch (text[open]) {
      case kFolderOpen: {
        std::wstring folder;
        if (lookups.FolderProperty(name, folder)) {
          output += folder;
        } else {
          output.append(text, open, close - open + 1);
        }
        break;
      }
      case kEnvironmentMark:
        output += lookups.EnvironmentVariable(name);
        break;
      case kRegistryMark:
        output += lookups.RegistryValue(name);
        break;
      default:
        break;
    }
    // Replacements are never scanned again: scanning resumes in the source text.
    copyFrom = close + 1;
  }
  output.append(text, copyFrom, std::wstring::npos);
  return output;
}

}  // namespace tessaro
