#pragma once
// Filling the string table's formats, apart from loading them, so that the
// texts built from them can be checked on any system.
#include <initializer_list>
#include <string>
#include <string_view>

namespace tessaro {

// Fills a string-table format: "%s" and "%1" take the first argument, "%2"
// to "%9" the later ones (a translation may need them in another order),
// "%%" gives "%", anything else is copied as it is. An argument is inserted
// as it is, never read as a format itself.
[[nodiscard]] std::wstring FormatResText(std::wstring_view format,
                                         std::initializer_list<std::wstring_view> arguments);
[[nodiscard]] inline std::wstring FormatResText(std::wstring_view format, std::wstring_view argument) {
  return FormatResText(format, {argument});
}

}  // namespace tessaro
