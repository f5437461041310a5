// Download URLs and Folder values come from the package's configuration; any
// text must give a path without reading outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "package/download_path.h"

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
  const auto& [url, folderText, folder] = parts;
  const std::wstring name = tessaro::FileNameFromUrl(url);
  if (name.size() > 41 || name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) std::abort();
  if (!name.empty() && url.find(name) == std::wstring::npos) std::abort();
  const std::wstring path = tessaro::MakeDownloadPath(folder, url, folderText);
  if (path.compare(0, folder.size(), folder) != 0) std::abort();
  if (folderText.find(L'?') == std::wstring::npos && !path.ends_with(name)) std::abort();
  return 0;
}
