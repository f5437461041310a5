#include "platform/error_text.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

constexpr DWORD kMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;  // 0x1300
constexpr DWORD kUserDefaultLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);                 // 0x400

}  // namespace

std::wstring ErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(kMessageFlags, nullptr, code, kUserDefaultLanguage,
                                      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocalMemory owner(buffer);
  if (length == 0 || buffer == nullptr) {
    // The chainer's own codes (0xE00000..) read as negative numbers, as "%d" shows them.
    return DecimalText(static_cast<int>(static_cast<DWORD>(code)));
  }
  return std::wstring(buffer, length);
}

std::wstring ErrorTextLine(unsigned long code) {
  std::wstring text = ErrorText(code);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

}  // namespace tessaro
