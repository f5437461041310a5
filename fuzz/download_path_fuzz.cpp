// Download URLs and Folder values come from the package's configuration; any
// text must give a path without reading outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "package/download_path.h"

namespace {

constexpr std::size_t kLongestName = 41;
constexpr wchar_t kSeparators[] = L"\\/:*?\"<>|";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first line is the URL, the second the Folder value, the rest the folder.
  std::wstring parts[3];
  int part = 0;
  for (wchar_t c : tessaro::DecodeUtf16Le(data, size)) {
    if (c == L'\n' && part < 2) {
      ++part;
    } else {
      parts[part] += c;
    }
  }
  const std::wstring& url = parts[0];
  const std::wstring& folderText = parts[1];
  const std::wstring& folder = parts[2];

  const std::wstring name = tessaro::FileNameFromUrl(url);
  if (name.size() > kLongestName) std::abort();
  if (name.find_first_of(kSeparators) != std::wstring::npos) std::abort();
  if (!name.empty() && url.find(name) == std::wstring::npos) std::abort();

  const std::wstring path = tessaro::MakeDownloadPath(folder, url, folderText);
  if (path.compare(0, folder.size(), folder) != 0) std::abort();
  if (folderText.find(L'?') == std::wstring::npos && !path.ends_with(name)) std::abort();
  return 0;
}
