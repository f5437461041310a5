#include "download/http_text.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "platform/decimal_text.h"

namespace tessaro {
namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsNoCase(const std::wstring& text, const wchar_t* ascii) {
  std::size_t i = 0;
  for (; i < text.size() && ascii[i] != L'\0'; ++i) {
    if (LowerAscii(text[i]) != LowerAscii(ascii[i])) return false;
  }
  return i == text.size() && ascii[i] == L'\0';
}

// Header values are separated by spaces and tabs only.
std::wstring TrimHeaderBlanks(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t") + 1 - first);
}

std::wstring TwoDigits(unsigned value) { return (value < 10 ? L"0" : L"") + DecimalText(value); }

}  // namespace

std::wstring PercentDecode(const std::wstring& text) {
  std::wstring decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<wchar_t>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

std::wstring ProxyHostFor(const std::wstring& proxyList, const wchar_t* scheme) {
  std::size_t server = std::wstring::npos;
  for (std::size_t start = 0, end = 0; start < proxyList.size(); start = end + 1) {
    end = std::min(proxyList.find_first_of(L" \t;", start), proxyList.size());
    const std::size_t equals = std::min(proxyList.find(L'=', start), end);
    if (equals == end) {
      if (server == std::wstring::npos) server = start;
    } else if (EqualsNoCase(proxyList.substr(start, equals - start), scheme)) {
      server = equals + 1;
      break;
    }
  }
  if (server == std::wstring::npos) return std::wstring();
  std::wstring host = proxyList.substr(server, proxyList.find_first_of(L" \t;", server) - server);
  const std::size_t slashes = host.find(L"://");
  if (slashes != std::wstring::npos) host.erase(0, slashes + 3);
  host.resize(std::min(host.find_first_of(L":/"), host.size()));
  return host;
}

std::wstring RealmFromChallenge(const std::wstring& challenge) {
  const std::size_t blank = challenge.find(L' ');
  if (blank == std::wstring::npos) return std::wstring();
  const std::wstring parameters = challenge.substr(blank + 1);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = parameters.find(L',', start);
    const std::wstring piece = parameters.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const std::size_t equals = piece.find(L'=');
    if (equals != std::wstring::npos && EqualsNoCase(piece.substr(0, equals), L"realm")) {
      std::wstring value = piece.substr(equals + 1);
      if (!value.empty() && value.front() == L'"') value.erase(0, 1);
      if (!value.empty() && value.back() == L'"') value.pop_back();
      return value;
    }
    if (end == std::wstring::npos) return std::wstring();
    start = end + 1;
  }
}

bool CharsetFromContentType(const std::wstring& contentType, std::wstring& charset) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = contentType.find(L';', start);
    const std::wstring piece =
        contentType.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const std::size_t equals = piece.find(L'=');
    if (equals != std::wstring::npos && EqualsNoCase(TrimHeaderBlanks(piece.substr(0, equals)), L"charset")) {
      charset = TrimHeaderBlanks(piece.substr(equals + 1));
      return true;
    }
    if (end == std::wstring::npos) return false;
    start = end + 1;
  }
}

bool CompleteLengthFromContentRange(const std::wstring& contentRange, std::uint32_t& length) {
  static constexpr std::wstring_view kUnsatisfied = L"bytes */";
  if (!contentRange.starts_with(kUnsatisfied) || contentRange.size() == kUnsatisfied.size()) return false;
  std::uint64_t value = 0;
  for (std::size_t i = kUnsatisfied.size(); i < contentRange.size(); ++i) {
    const wchar_t c = contentRange[i];
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    if (value > UINT32_MAX) return false;
  }
  length = static_cast<std::uint32_t>(value);
  return true;
}

std::wstring HttpDate(const CalendarTime& time) {
  static constexpr const wchar_t* kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  static constexpr const wchar_t* kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                               L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  const wchar_t* day = time.dayOfWeek < 7 ? kDays[time.dayOfWeek] : L"";
  const wchar_t* month = time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : L"";
  std::wstring year = DecimalText(time.year);
  year.insert(0, year.size() < 4 ? 4 - year.size() : 0, L'0');
  return std::wstring(day) + L", " + TwoDigits(time.day) + L' ' + month + L' ' + year + L' ' +
         TwoDigits(time.hour) + L':' + TwoDigits(time.minute) + L':' + TwoDigits(time.second) + L" GMT";
}

}  // namespace tessaro
