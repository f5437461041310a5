#pragma once
// The digest of a downloaded file, for the check against the configured "MD5".
#include <string>

namespace tessaro {

// 32 lower-case hexadecimal characters in |hex|. False (|hex| untouched) when
// the file cannot be opened, its size cannot be read or is 0. At most the
// size measured at the start is hashed; a failed read ends the hashing early.
[[nodiscard]] bool FileMd5Hex(const std::wstring& path, std::wstring& hex);

}  // namespace tessaro
