#pragma once
#include <string>

namespace tessaro {

// The registry content test: letter C, D, E, G, L, M, S or X; any other is false.
[[nodiscard]] bool CompareContent(wchar_t letter, const std::wstring& reference, const std::wstring& value);

}  // namespace tessaro
