#pragma once
// Decimal numbers as text, both ways: the one reading rule of the product and
// the one writing rule.
//
// Decimal text of a number. std::to_wstring would go through the C runtime's
// wide printf, which in a static MinGW build drags a whole formatting engine
// (with floating point) into a program that only ever prints integers.
#include <concepts>
#include <cstdint>
#include <string>

namespace tessaro {

template <std::integral Integer>
[[nodiscard]] std::wstring DecimalText(Integer value) {
  const bool negative = value < 0;
  // Negating in unsigned arithmetic is exact even for the most negative value.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (negative) magnitude = 0 - magnitude;
  wchar_t digits[21];
  int count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits[count++] = L'-';
  std::wstring text;
  text.reserve(static_cast<std::size_t>(count));
  while (count > 0) text += digits[--count];
  return text;
}

// Every decimal number the product reads (configuration integers, registry
// numbers, language ids, search depths, content bounds) follows one rule:
// leading spaces (U+0020 only) are skipped, then an optional "-", then an
// optional "+", then digits up to the first non-digit; no digit gives 0. Digits
// beyond 32 bits wrap, they are not checked.
[[nodiscard]] std::int32_t ParseDecimalInt(const std::wstring& text);
// Whether ParseDecimalInt reads |text| as it says: at least one digit, nothing
// after the digits, and no wrap.
[[nodiscard]] bool IsPlainDecimal(const std::wstring& text);

}  // namespace tessaro
