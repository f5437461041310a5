#pragma once
// A URL taken apart by WinINet, with the user name and password decoded.
#include <windows.h>
#include <wininet.h>

#include <string>

namespace tessaro {

struct UrlParts {
  DWORD error = 0;  // 0: parsed
  std::wstring url;
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  INTERNET_PORT port = 0;
  std::wstring host;
  std::wstring path;
  std::wstring extra;  // query and fragment
  std::wstring user;
  std::wstring password;
};

// A file URL's pieces are as WinINet cuts them; FileUrlLocalPath says which
// file it names.
[[nodiscard]] UrlParts CrackUrl(const std::wstring& url);

}  // namespace tessaro
