#pragma once
// The texts of HTTP and URLs that the transfer engine reads or writes, as
// pure text work: portable, so the host tree tests them and the fuzzer can
// reach them.
#include <cstdint>
#include <string>

namespace tessaro {

// "%" and two hexadecimal digits (either case) become the character with
// that code (0-255, one UTF-16 unit, not UTF-8); any other "%" stays.
[[nodiscard]] std::wstring PercentDecode(const std::wstring& text);

// The "realm" parameter of a WWW-Authenticate or Proxy-Authenticate value:
// the text after the first blank is split at ","; the first piece whose name
// is "realm" in any case gives its value without one leading and one trailing
// double quote. Names are not trimmed: servers that write ", realm=" after
// another parameter give no realm. Empty when there is none.
[[nodiscard]] std::wstring RealmFromChallenge(const std::wstring& challenge);

// The charset of a Content-Type value: the first ";"-separated piece whose
// trimmed name before "=" is "charset" in any case. False when none is.
[[nodiscard]] bool CharsetFromContentType(const std::wstring& contentType, std::wstring& charset);

// The whole length N that a 416 answer's Content-Range value "bytes */N"
// gives (decimal digits only, at most 32 bits). False for any other value.
[[nodiscard]] bool CompleteLengthFromContentRange(const std::wstring& contentRange, std::uint32_t& length);

// The host of the proxy that a WinINet proxy list ("host:port", or entries
// like "http=host:port https=host:port" separated by blanks or ";") names
// for |scheme|: its own "scheme=" entry, else the first entry without a
// scheme; without "scheme://" and ":port". Empty when no entry serves it.
[[nodiscard]] std::wstring ProxyHostFor(const std::wstring& proxyList, const wchar_t* scheme);

// The calendar fields of a SYSTEMTIME, so that the date text builds anywhere.
struct CalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;      // 1 = January
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
};

// RFC 1123: "Sun, 06 Nov 1994 08:49:37 GMT", the time taken as UTC as given.
// A weekday or month outside its range gives an empty name, never a crash.
[[nodiscard]] std::wstring HttpDate(const CalendarTime& time);

}  // namespace tessaro
