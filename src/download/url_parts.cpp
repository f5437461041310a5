#include "download/url_parts.h"

#include "download/http_text.h"
#include "download/wininet_api.h"

namespace tessaro {
namespace {

std::wstring Piece(const wchar_t* start, DWORD length) {
  return start != nullptr ? std::wstring(start, length) : std::wstring();
}

}  // namespace

UrlParts CrackUrl(const std::wstring& url) {
  UrlParts parts;
  parts.url = url;
  const auto crack = WinInet().crackUrl;
  if (crack == nullptr) {
    parts.error = ERROR_PROC_NOT_FOUND;
    return parts;
  }
  // Non-zero lengths without buffers: WinINet points into the URL itself.
  URL_COMPONENTSW components{};
  components.dwStructSize = sizeof components;
  components.dwHostNameLength = 1;
  components.dwUserNameLength = 1;
  components.dwPasswordLength = 1;
  components.dwUrlPathLength = 1;
  components.dwExtraInfoLength = 1;
  if (!crack(url.c_str(), 0, 0, &components)) {
    parts.error = GetLastError();
    return parts;
  }
  parts.host = Piece(components.lpszHostName, components.dwHostNameLength);
  parts.path = Piece(components.lpszUrlPath, components.dwUrlPathLength);
  parts.extra = Piece(components.lpszExtraInfo, components.dwExtraInfoLength);
  parts.user = PercentDecode(Piece(components.lpszUserName, components.dwUserNameLength));
  parts.password = PercentDecode(Piece(components.lpszPassword, components.dwPasswordLength));
  parts.scheme = components.nScheme;
  parts.port = components.nPort;
  return parts;
}

}  // namespace tessaro
