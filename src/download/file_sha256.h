#pragma once
// The SHA-256 of a downloaded file, for the check against the configured
// "SHA256". The system computes it (CNG): a digest meant to prove that nobody
// replaced a file is not one to carry our own code for.
#include <string>

namespace tessaro {

// 64 lower-case hexadecimal characters in |hex|. False (|hex| untouched) when
// bcrypt.dll or SHA-256 is not available, or, as for FileMd5Hex, when the
// file cannot be opened, its size cannot be read or is 0. At most the size
// measured at the start is hashed; a failed read ends the hashing early.
[[nodiscard]] bool FileSha256Hex(const std::wstring& path, std::wstring& hex);

}  // namespace tessaro
