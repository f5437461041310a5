#include "ui/strings.h"

#include <algorithm>

namespace tessaro {
namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The translation a user reads. Each language's table is filed under the
// language alone, so that every country's German finds it; Portuguese
// readers all get the Brazilian one, but Simplified Chinese only those who
// write it (Taiwan and Hong Kong read English rather than the other script).
LANGID TableLanguage() {
  const LANGID ui = GetUserDefaultUILanguage();
  const WORD sub = SUBLANGID(ui);
  switch (PRIMARYLANGID(ui)) {
    case LANG_PORTUGUESE:
      return MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
    case LANG_CHINESE:
      return sub == SUBLANG_NEUTRAL || sub == SUBLANG_CHINESE_SIMPLIFIED || sub == SUBLANG_CHINESE_SINGAPORE
                 ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                 : kEnglish;
    default:
      return MAKELANGID(PRIMARYLANGID(ui), SUBLANG_NEUTRAL);
  }
}

}  // namespace

bool UiEnabled = false;

std::wstring LoadResString(UINT id) { return LoadResString(GetModuleHandleW(nullptr), id); }

std::wstring LoadResString(HMODULE module, UINT id) {
  // Looked up by hand: LoadStringW picks the table's language by rules that
  // differ from one Windows version to the next (the thread's locale on XP),
  // and falls back to whichever language comes first rather than English.
  for (const LANGID language : {TableLanguage(), kEnglish}) {
    const HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const auto* entry =
        found ? static_cast<const wchar_t*>(LockResource(LoadResource(module, found))) : nullptr;
    if (entry == nullptr) continue;
    const wchar_t* const end = entry + SizeofResource(module, found) / sizeof(wchar_t);
    // A block holds sixteen texts, each its length and then its characters.
    for (UINT skip = id % 16; skip > 0 && entry < end; --skip) entry += 1 + *entry;
    if (entry >= end || *entry == 0) continue;
    const auto length = std::min<std::size_t>(
        {*entry, static_cast<std::size_t>(end - entry - 1), kResStringBufferLength - 1});
    return std::wstring(entry + 1, length);
  }
  return std::wstring();
}

std::wstring FormatResString(UINT id, const std::wstring& argument) {
  return FormatResText(LoadResString(id), argument);
}

}  // namespace tessaro
