#pragma once
// Where a downloaded prerequisite lands. Evaluation, download and install
// must agree on this path, so all three call these functions.
#include <string>

namespace tessaro {

[[nodiscard]] std::wstring MakeDownloadPath(const std::wstring& folder, const std::wstring& url,
                                            const std::wstring& folderText);
[[nodiscard]] std::wstring FileNameFromUrl(const std::wstring& url);

}  // namespace tessaro
