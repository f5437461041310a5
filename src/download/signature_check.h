#pragma once
// Whether a downloaded setup comes from the publisher the package names: a
// valid Authenticode signature whose chain ends in a trusted root, made with
// a certificate whose subject common name is the configured text exactly.
#include <windows.h>

#include <string>

namespace tessaro {

// |file| is |path| opened for reading; the signature is read through it, so
// that what is judged is what the caller holds. False when wintrust or
// crypt32 cannot be loaded, when the file is unsigned or was changed after
// signing, when the chain is not trusted, or when the name differs.
[[nodiscard]] bool IsSignedBy(const std::wstring& path, HANDLE file, const std::wstring& signer);

}  // namespace tessaro
