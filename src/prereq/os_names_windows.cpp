#include <windows.h>

#include <vector>

#include "prereq/os_names.h"
#include "platform/decimal_text.h"

namespace tessaro {

const std::wstring& GetDetailedOsName() {
  static const std::wstring name = DetailedOsName(GetOsDescription());
  return name;
}

const std::wstring& GetGenericOsName() {
  static const std::wstring name = GenericOsName(GetOsDescription());
  return name;
}

std::wstring LocaleName(unsigned short languageId) {
  const LCID locale = MAKELCID(languageId, SORT_DEFAULT);
  std::wstring displayName;
  const int length = GetLocaleInfoW(locale, LOCALE_SLANGUAGE, nullptr, 0);
  if (length > 0) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length), L'\0');
    if (GetLocaleInfoW(locale, LOCALE_SLANGUAGE, buffer.data(), length) > 0) displayName = buffer.data();
  }
  return DecimalText(languageId) + L"-" + displayName;
}

}  // namespace tessaro
