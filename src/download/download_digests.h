#pragma once
// What a download's digests came to, computed beside its transfer.
#include <windows.h>

#include <string>

namespace tessaro {

// Which digests a download wants and, once it succeeded, what its file came
// to in lower-case hexadecimal; empty when they could not be had beside the
// transfer, and the file must be hashed instead.
struct DownloadDigests {
  bool wantMd5 = false;
  bool wantSha256 = false;
  std::wstring md5;
  std::wstring sha256;
  // The file they were computed over, as it was when they were finished.
  BY_HANDLE_FILE_INFORMATION file{};

  [[nodiscard]] bool Wanted() const { return wantMd5 || wantSha256; }
  // Whether |opened| is that file, unchanged: the same volume, file index,
  // size and last write. Anything else is hashed afresh.
  [[nodiscard]] bool Describe(HANDLE opened) const;
  void Forget() {
    md5.clear();
    sha256.clear();
  }
};

}  // namespace tessaro
