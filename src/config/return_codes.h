#pragma once
// Lists of setup return codes, as a prerequisite's "SuccessCodes" and
// "RebootCodes" give them: items separated by ",", blanks around an item
// ignored, each a decimal number or a hexadecimal one after "0x". A negative
// decimal is the signed 32-bit value, so -2147024891 and 0x80070005 are one code.
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

// |codes| gets every item that reads as a code, in order. False when an item
// does not (an empty one among others included); that item is skipped. A
// value of blanks only is an empty list, and well formed.
[[nodiscard]] bool ReadReturnCodes(const std::wstring& text, std::vector<std::uint32_t>& codes);

}  // namespace tessaro
