#include <windows.h>

#include <vector>

#include "prereq/os_names.h"
#include "platform/decimal_text.h"
#include "platform/process_once.h"

namespace tessaro {
namespace {

constinit ProcessOnce<std::wstring> DetailedName;
constinit ProcessOnce<std::wstring> GenericName;

}  // namespace

const std::wstring& GetDetailedOsName() {
  return DetailedName.Get([] { return DetailedOsName(GetOsDescription()); });
}

const std::wstring& GetGenericOsName() {
  return GenericName.Get([] { return GenericOsName(GetOsDescription()); });
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
