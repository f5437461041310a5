// URLs as a download gets them, through WinINet's cracking and our decoding
// of the user name and password: whatever the text, the parts come back
// without a crash, the URL is kept as given, and decoding never lengthens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "config/config_document.h"
#include "download/http_text.h"
#include "download/url_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaro;
  std::wstring url = DecodeUtf16Le(data, size);
  // A URL from the configuration never holds a NUL: the text ends there.
  url.resize(std::wcslen(url.c_str()));
  const UrlParts parts = CrackUrl(url);
  if (parts.url != url) std::abort();
  if (parts.error != 0) return 0;
  if (parts.user.size() > url.size() || parts.password.size() > url.size()) std::abort();
  // A share's server is named inside its path, so the host is counted apart.
  if (parts.host.size() > url.size() || parts.path.size() + parts.extra.size() > url.size()) std::abort();
  if (PercentDecode(url).size() > url.size()) std::abort();
  return 0;
}
