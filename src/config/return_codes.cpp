#include "config/return_codes.h"

#include "platform/decimal_text.h"

namespace tessaro {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool ReadHex(const std::wstring& digits, std::uint32_t& code) {
  if (digits.empty() || digits.size() > 8) return false;
  std::uint32_t value = 0;
  for (const wchar_t c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  code = value;
  return true;
}

bool ReadCode(const std::wstring& item, std::uint32_t& code) {
  if (item.size() > 2 && item[0] == L'0' && (item[1] == L'x' || item[1] == L'X')) {
    return ReadHex(item.substr(2), code);
  }
  if (!IsPlainDecimal(item)) return false;
  code = static_cast<std::uint32_t>(ParseDecimalInt(item));
  return true;
}

}  // namespace

bool ReadReturnCodes(const std::wstring& text, std::vector<std::uint32_t>& codes) {
  codes.clear();
  if (text.find_first_not_of(L" \t") == std::wstring::npos) return true;
  bool wellFormed = true;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(L',', start);
    const std::size_t end = comma == std::wstring::npos ? text.size() : comma;
    std::size_t first = start;
    std::size_t last = end;
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    std::uint32_t code = 0;
    if (ReadCode(text.substr(first, last - first), code)) {
      codes.push_back(code);
    } else {
      wellFormed = false;
    }
    if (comma == std::wstring::npos) return wellFormed;
    start = comma + 1;
  }
}

}  // namespace tessaro
