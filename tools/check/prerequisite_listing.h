#pragma once
// The prerequisites as Tessaro will read them, in words an author checks
// against what was meant.
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "config/options_loader.h"

namespace tessaro {

// |chainer|: the "PREREQ_CHAINER" section, null when there is none.
[[nodiscard]] std::wstring DescribeConfiguration(const ChainerOptions& options,
                                                 const ChainerSection* chainer);
// The items of "CleanupFiles", split where the clean-up splits them.
[[nodiscard]] std::vector<std::wstring> CleanupFileItems(const std::wstring& files);
[[nodiscard]] const wchar_t* SearchTypeName(std::int32_t type);
// How an operator combines the searches' verdicts.
[[nodiscard]] std::wstring Combination(std::int32_t op);
// Return codes as the log writes them, unsigned decimal, joined by ", ";
// "none" for an empty list.
[[nodiscard]] std::wstring ReturnCodesText(const std::vector<std::uint32_t>& codes);

}  // namespace tessaro
