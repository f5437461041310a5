#pragma once
#include <string>

namespace tessaro {

// The system's message for a Windows error code, or the code in decimal.
[[nodiscard]] std::wstring ErrorText(unsigned long code);
// The same without the line break that ends the system's messages: a log
// line is one line.
[[nodiscard]] std::wstring ErrorTextLine(unsigned long code);

}  // namespace tessaro
