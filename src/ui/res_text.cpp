#include "ui/res_text.h"

namespace tessaro {

std::wstring FormatResText(std::wstring_view format, std::initializer_list<std::wstring_view> arguments) {
  // A tiny substitution keeps the result independent of the C runtime's idea
  // of what "%s" means in a wide format.
  std::wstring text;
  text.reserve(format.size() + 16);
  for (std::size_t i = 0; i < format.size(); ++i) {
    const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
    std::size_t index = arguments.size();
    if (format[i] == L'%' && next == L's') index = 0;
    if (format[i] == L'%' && next >= L'1' && next <= L'9') index = static_cast<std::size_t>(next - L'1');
    if (index < arguments.size()) {
      text += arguments.begin()[index];
      ++i;
    } else if (format[i] == L'%' && next == L'%') {
      text += L'%';
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

}  // namespace tessaro
