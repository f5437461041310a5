#include "platform/decimal_text.h"

namespace tessaro {
namespace {

struct DecimalScan {
  std::int32_t value = 0;
  bool whole = false;  // digits to the end, none lost to the 32-bit wrap
};

DecimalScan ScanDecimal(const std::wstring& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && text[i] == L'-') {
    negative = true;
    ++i;
  }
  if (i < text.size() && text[i] == L'+') ++i;
  // Unsigned arithmetic: digits beyond 32 bits wrap instead of overflowing.
  const std::size_t firstDigit = i;
  std::uint64_t exact = 0;
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(text[i] - L'0');
    if (exact <= 0xFFFFFFFFull) exact = exact * 10 + static_cast<std::uint64_t>(text[i] - L'0');
  }
  if (negative) value = 0u - value;
  DecimalScan scan;
  scan.value = static_cast<std::int32_t>(value);
  scan.whole = i > firstDigit && i == text.size() && exact <= 0xFFFFFFFFull;
  return scan;
}

}  // namespace

std::int32_t ParseDecimalInt(const std::wstring& text) { return ScanDecimal(text).value; }

bool IsPlainDecimal(const std::wstring& text) { return ScanDecimal(text).whole; }

}  // namespace tessaro
