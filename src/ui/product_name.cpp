#include "ui/product_name.h"

#include <cwchar>
#include <vector>

#include "platform/version_resource.h"
#include "ui/strings.h"

namespace tessaro {

namespace {

constexpr WORD kDefaultLanguage = 0x0409;  // US English
constexpr WORD kDefaultCodePage = 0x04E2;  // code page 1250

struct Translation {
  WORD language;
  WORD codePage;
};

void AppendHex4(std::wstring& text, WORD value) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::wstring ReadProductName(const std::wstring& path) {
  std::vector<unsigned char> block = ReadVersionBlock(path);
  if (block.empty()) return std::wstring();

  Translation translation{kDefaultLanguage, kDefaultCodePage};
  void* listed = nullptr;
  UINT listedBytes = 0;
  if (QueryVersionValue(block, L"\\VarFileInfo\\Translation", listed, listedBytes) &&
      listedBytes >= sizeof(Translation)) {
    translation = *static_cast<const Translation*>(listed);
  }

  std::wstring query = L"\\StringFileInfo\\";
  AppendHex4(query, translation.language);
  AppendHex4(query, translation.codePage);
  query += L"\\ProductName";

  void* value = nullptr;
  UINT valueLength = 0;
  if (!QueryVersionValue(block, query.c_str(), value, valueLength)) return std::wstring();
  // The length may or may not count the terminator; stop at the first NUL.
  const wchar_t* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, valueLength));
}

std::wstring MakeWindowTitle(const std::wstring& productName) {
  return FormatResString(IDS_WINDOW_TITLE, productName);
}

std::wstring MakeWindowTitle(HMODULE resources, const std::wstring& productName) {
  return FormatResText(LoadResString(resources, IDS_WINDOW_TITLE), productName);
}

}  // namespace tessaro
