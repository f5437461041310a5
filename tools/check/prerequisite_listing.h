#pragma once
// The prerequisites as Tessaro will read them, in words an author checks
// against what was meant.
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"

namespace tessaro {

[[nodiscard]] std::wstring DescribeConfiguration(const ChainerOptions& options);
// Return codes as the log writes them, unsigned decimal, joined by ", ";
// "none" for an empty list.
[[nodiscard]] std::wstring ReturnCodesText(const std::vector<std::uint32_t>& codes);

}  // namespace tessaro
