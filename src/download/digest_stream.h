#pragma once
// The digests of a download, computed while its bytes arrive: a thread of
// their own follows the ".part" file as the transfer writes it, so that
// hashing overlaps the network instead of following it. What they hash is
// read back from the file, so they are the digests of the bytes on disk.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "download/file_sha256.h"
#include "download/md5.h"
#include "platform/handles.h"

namespace tessaro {

// Which digests a download wants and, once it succeeded, what its file came
// to in lower-case hexadecimal; empty when they could not be had beside the
// transfer, and the file must be hashed instead.
struct DownloadDigests {
  bool wantMd5 = false;
  bool wantSha256 = false;
  std::wstring md5;
  std::wstring sha256;

  [[nodiscard]] bool Wanted() const { return wantMd5 || wantSha256; }
  void Forget() {
    md5.clear();
    sha256.clear();
  }
};

class DigestStream {
 public:
  // Hashes |file| from byte 0, of which the first |length| are there already
  // (a resumed ".part"). |file| stays open until Finish or the destructor,
  // and every read or write on it gives its offset: the file pointer is
  // nobody's.
  DigestStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted);
  DigestStream(const DigestStream&) = delete;
  DigestStream& operator=(const DigestStream&) = delete;
  // Stops the thread where it is.
  ~DigestStream();

  // The file is now |length| bytes long; the bytes below stay as they are.
  void Grow(std::uint32_t length);
  // Returns once every byte is hashed, with the wanted digests in |digests|;
  // none when the file is empty (as a file digest has none) or a read failed.
  void Finish(DownloadDigests& digests);

 private:
  enum class State { kFollow, kFinish, kStop };
  static DWORD WINAPI ThreadProc(void* self);
  // Hashes what is written until told to finish or stop.
  void Follow();

  HANDLE file_;
  std::atomic<std::uint32_t> length_;
  std::atomic<State> state_{State::kFollow};
  std::uint32_t hashed_ = 0;
  bool failed_ = false;
  std::optional<Md5> md5_;
  std::optional<Sha256> sha256_;
  UniqueHandle grown_;
  UniqueHandle thread_;
};

}  // namespace tessaro
