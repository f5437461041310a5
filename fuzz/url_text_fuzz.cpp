// URLs and Folder values come from the package, challenges from servers: any text must give a path
// inside the download folder, and answers taken from that text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "download/http_text.h"
#include "package/download_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = tessaro::DecodeUtf16Le(data, size);
  // Each escape shrinks three characters to one; nothing else changes.
  const std::wstring decoded = tessaro::PercentDecode(text);
  if (decoded.size() > text.size() || decoded.size() * 3 < text.size()) std::abort();
  if (text.find(L'%') == std::wstring::npos && decoded != text) std::abort();
  if (text.find(tessaro::RealmFromChallenge(text)) == std::wstring::npos) std::abort();

  // The first line is the URL, the second the Folder value, the rest the folder.
  const std::size_t first = std::min(text.find(L'\n'), text.size());
  const std::size_t second = first == text.size() ? first : std::min(text.find(L'\n', first + 1), text.size());
  const std::wstring url = text.substr(0, first);
  const std::wstring folderText = first == second ? L"" : text.substr(first + 1, second - first - 1);
  const std::wstring folder = second == text.size() ? L"" : text.substr(second + 1);
  const std::wstring name = tessaro::FileNameFromUrl(url);
  if (name.size() > 41 || name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) std::abort();
  if (!name.empty() && url.find(name) == std::wstring::npos) std::abort();
  const std::wstring path = tessaro::MakeDownloadPath(folder, url, folderText);
  if (path.compare(0, folder.size(), folder) != 0) std::abort();
  if (folderText.find(L'?') == std::wstring::npos && !path.ends_with(name)) std::abort();
  return 0;
}
