#pragma once
#include <string>

namespace tessaro {

// The system's message for a Windows error code, or the code in decimal.
[[nodiscard]] std::wstring ErrorText(unsigned long code);

}  // namespace tessaro
