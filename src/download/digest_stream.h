#pragma once
// The pieces a transfer reads into, and the digests of what it writes: a
// thread of their own hashes each piece once it lies written in the ".part"
// file, so that hashing overlaps the network instead of following it.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
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

class DigestStream {
 public:
  // The file's first |length| bytes are there already (a resumed ".part"):
  // they are hashed first, read back from |file|, which stays open until
  // Finish or the destructor. Without a digest wanted, only the pieces.
  DigestStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted, std::uint32_t pieceBytes);
  DigestStream(const DigestStream&) = delete;
  DigestStream& operator=(const DigestStream&) = delete;
  // Stops the hashing where it is.
  ~DigestStream();

  // Where the next read goes: after the piece held for writing, when there
  // is one. Waits while the hashing still needs that memory.
  [[nodiscard]] std::uint8_t* Piece(bool afterHeld);
  // The oldest piece not yet written now lies at the end of the file.
  void Written(DWORD size);
  // Returns once every written byte is hashed, with the wanted digests in
  // |digests|; none when nothing was written (a file digest has none for an
  // empty file) or the hashing could not be had.
  void Finish(DownloadDigests& digests);

 private:
  enum class State { kFollow, kFinish, kStop };
  static DWORD WINAPI ThreadProc(void* self);
  void Follow();
  void HashPrefix();
  void Hash(const std::uint8_t* data, std::size_t size);

  HANDLE file_;
  std::uint32_t prefix_;
  std::uint32_t pieceBytes_;
  std::uint32_t slots_;
  std::unique_ptr<std::uint8_t[]> pieces_;
  std::unique_ptr<std::atomic<DWORD>[]> sizes_;
  // Pieces written, and pieces the hashing is done with: only the transfer
  // counts the first, only the hashing thread the second.
  std::atomic<std::uint32_t> written_{0};
  std::atomic<std::uint32_t> done_{0};
  std::atomic<State> state_{State::kFollow};
  std::uint64_t hashed_ = 0;
  bool failed_ = false;
  std::optional<Md5> md5_;
  std::optional<Sha256> sha256_;
  UniqueHandle writtenEvent_;
  UniqueHandle doneEvent_;
  UniqueHandle thread_;
};

}  // namespace tessaro
