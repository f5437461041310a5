#include "package/download_path.h"

#include <cstddef>

#include "platform/path_text.h"

namespace tessaro {
namespace {

constexpr wchar_t kNameSeparator = L'?';
constexpr wchar_t kSchemeMark[] = L"://";
// The second scheme mark is looked for one character past the end of the first.
constexpr std::size_t kSecondMarkOffset = 4;
// How far back from the end of the name a separator is looked for; a name
// without one keeps this many characters plus the one at its end.
constexpr std::size_t kNameLookBack = 40;
// The characters a Windows file name cannot contain.
constexpr wchar_t kSeparators[] = L"\\/:*?\"<>|";

bool IsSeparator(wchar_t c) {
  for (const wchar_t* s = kSeparators; *s != L'\0'; ++s) {
    if (*s == c) return true;
  }
  return false;
}

}  // namespace

std::wstring MakeDownloadPath(const std::wstring& folder, const std::wstring& url,
                              const std::wstring& folderText) {
  std::wstring path = WithTrailingBackslashUnlessEmpty(folder);

  const std::size_t mark = folderText.find(kNameSeparator);
  const std::wstring subFolder = mark == std::wstring::npos ? folderText : folderText.substr(0, mark);
  const std::wstring fileName = mark == std::wstring::npos ? std::wstring() : folderText.substr(mark + 1);

  path = WithTrailingBackslashUnlessEmpty(path + subFolder);
  path += fileName.empty() ? FileNameFromUrl(url) : fileName;
  return path;
}

std::wstring FileNameFromUrl(const std::wstring& url) {
  const std::size_t length = url.size();
  if (length == 0) return std::wstring();

  // |end| is the index of the name's last character. A second scheme mark
  // (a URL passed inside another one) puts the end on its ":", which the
  // backward search below then takes for a separator: no name at all.
  std::size_t end = length - 1;
  const std::size_t first = url.find(kSchemeMark);
  if (first != std::wstring::npos && first + kSecondMarkOffset <= length) {
    const std::size_t second = url.find(kSchemeMark, first + kSecondMarkOffset);
    if (second != std::wstring::npos) end = second;
  }

  // Whatever follows the extension up to a separator (a query, a fragment
  // behind "?") is not part of the name.
  const std::size_t dot = url.rfind(L'.', end);
  if (dot != std::wstring::npos) {
    for (std::size_t i = dot + 1; i < end; ++i) {
      if (IsSeparator(url[i])) {
        end = i - 1;
        break;
      }
    }
  }

  // The name is what follows the nearest separator at or before |end|,
  // looking back no further than the look-back limit.
  const std::size_t lowest = end >= kNameLookBack ? end - kNameLookBack : 0;
  std::size_t start = lowest;
  for (std::size_t i = end + 1; i-- > lowest;) {
    if (IsSeparator(url[i])) {
      start = i + 1;
      break;
    }
  }
  return url.substr(start, end + 1 - start);
}

}  // namespace tessaro
