#include "platform/ansi_text.h"

namespace tessaro {

std::string ToAnsi(const std::wstring& text, UINT codePage) {
  if (text.empty()) return std::string();
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string ansi(static_cast<std::size_t>(size), '\0');
  (void)WideCharToMultiByte(codePage, 0, text.data(), units, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

std::string ToAnsiExactly(const std::wstring& text) {
  if (text.empty()) return std::string();
  const bool utf8 = GetACP() == CP_UTF8;  // takes neither flag nor default character
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  BOOL* const usedDefault = utf8 ? nullptr : &lossy;
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), units, nullptr, 0, nullptr, usedDefault);
  if (size <= 0 || lossy) return std::string();
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(CP_ACP, flags, text.data(), units, bytes.data(), size, nullptr, usedDefault) != size) {
    return std::string();
  }
  return bytes;
}

}  // namespace tessaro
