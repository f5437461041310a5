#pragma once
// A file's version resource. version.dll is not one of the system's known
// libraries, so a static import would be looked for beside the executable
// first, where a planted copy could run inside the chainer; it is loaded
// from the system folder on first use instead.
#include <windows.h>

#include <string>
#include <vector>

namespace tessaro {

// Loads version.dll now, for a caller about to turn file-system redirection
// off; false when it cannot be loaded.
[[nodiscard]] bool LoadVersionLibrary() noexcept;
// The whole version resource block of a file; empty when it has none or
// version.dll cannot be loaded.
[[nodiscard]] std::vector<unsigned char> ReadVersionBlock(const std::wstring& path);
// VerQueryValueW on a block from ReadVersionBlock; on failure the out
// parameters are left untouched.
[[nodiscard]] bool QueryVersionValue(std::vector<unsigned char>& block, const wchar_t* subBlock, void*& value,
                                     UINT& length);

}  // namespace tessaro
