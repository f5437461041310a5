#include "ui/strings.h"

namespace tessaro {

bool UiEnabled = false;

std::wstring LoadResString(UINT id) { return LoadResString(GetModuleHandleW(nullptr), id); }

std::wstring LoadResString(HMODULE module, UINT id) {
  wchar_t buffer[kResStringBufferLength];
  const int length = LoadStringW(module, id, buffer, kResStringBufferLength);
  if (length <= 0) return std::wstring();
  return std::wstring(buffer, static_cast<std::size_t>(length));
}

std::wstring FormatResText(const std::wstring& format, const std::wstring& argument) {
  // The table's formats only ever take one text; a tiny substitution keeps
  // the result independent of the C runtime's idea of what "%s" means in a
  // wide format.
  std::wstring text;
  text.reserve(format.size() + argument.size());
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (format[i + 1] == L's') {
        text += argument;
        ++i;
        continue;
      }
      if (format[i + 1] == L'%') {
        text += L'%';
        ++i;
        continue;
      }
    }
    text += format[i];
  }
  return text;
}

std::wstring FormatResString(UINT id, const std::wstring& argument) {
  return FormatResText(LoadResString(id), argument);
}

}  // namespace tessaro
