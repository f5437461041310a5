#pragma once
// The configured digests ("MD5", "SHA256") against a file's digest in
// lower-case hexadecimal. Portable, so that the checker judges a configured
// value by the very test a download must pass.
#include <string>

namespace tessaro {

// The check a downloaded file's MD5 must pass: the configured text's first
// 32 characters, letters A to F in either case, equal the lower-case digest;
// anything after them is ignored.
[[nodiscard]] bool DigestMatches(const std::wstring& digestHex, const std::wstring& configured);
// Whether some file could pass DigestMatches against |configured|.
[[nodiscard]] bool IsMd5Text(const std::wstring& configured);
// The configured "SHA256" is taken only whole: 64 hexadecimal digits in any
// case. A value cut short or mistyped rejects the download rather than
// letting it through unchecked.
[[nodiscard]] bool IsSha256Text(const std::wstring& configured);
// |configured| must pass IsSha256Text.
[[nodiscard]] bool Sha256TextMatches(const std::wstring& digestHex, const std::wstring& configured);

}  // namespace tessaro
