#include "prereq/content_compare.h"

#include <cstdint>

#include "platform/decimal_text.h"

namespace tessaro {
namespace {

bool IsDigitsOnly(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

// Registry DWORDs arrive here as unsigned decimal text, so the whole unsigned
// 32-bit range compares correctly; longer numbers wrap. Empty text is 0.
std::uint32_t DecimalValue(const std::wstring& digits) { return static_cast<std::uint32_t>(ParseDecimalInt(digits)); }

}  // namespace

bool CompareContent(wchar_t letter, const std::wstring& reference, const std::wstring& value) {
  switch (letter) {
    case L'C':
      return value.find(reference) != std::wstring::npos;
    case L'D':
      return value != reference;
    case L'E':
      return value.ends_with(reference);
    case L'G':
    case L'L': {
      if (!IsDigitsOnly(value) || !IsDigitsOnly(reference)) return false;
      const std::uint32_t number = DecimalValue(value);
      const std::uint32_t bound = DecimalValue(reference);
      return letter == L'G' ? number > bound : number < bound;
    }
    case L'M':
      return value == reference;
    case L'S':
      return value.starts_with(reference);
    case L'X':
      return value.find(reference) == std::wstring::npos;
    default:
      return false;
  }
}

}  // namespace tessaro
