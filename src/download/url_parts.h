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

// For a file URL naming a share ("file://\\server\share\x") the host is the
// server; the path keeps its two leading backslashes.
[[nodiscard]] UrlParts CrackUrl(const std::wstring& url);

}  // namespace tessaro
