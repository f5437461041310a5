#pragma once
// The prerequisites as Tessaro will read them, in words an author checks
// against what was meant.
#include <string>

#include "config/chainer_options.h"

namespace tessaro {

[[nodiscard]] std::wstring DescribeConfiguration(const ChainerOptions& options);

}  // namespace tessaro
