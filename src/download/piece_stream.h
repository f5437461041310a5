#pragma once
// The pieces a transfer reads into, written to the ".part" file and hashed
// by threads of their own: the transfer only reads, so that writing and
// hashing overlap the network instead of following each read.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "download/download_digests.h"
#include "download/file_sha256.h"
#include "download/md5.h"
#include "platform/doorbell.h"
#include "platform/handles.h"

namespace tessaro {

class PieceStream {
 public:
  // Pieces go at the end of |file|, whose first |length| bytes are there
  // already (a resumed ".part"): they are hashed first, read back from the
  // file. |file| must stay open until the stream is gone.
  PieceStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted, std::uint32_t pieceBytes);
  PieceStream(const PieceStream&) = delete;
  PieceStream& operator=(const PieceStream&) = delete;
  // Stops writing and hashing where they are.
  ~PieceStream();

  // Where the next read goes; waits while every other piece is still
  // being written or hashed.
  [[nodiscard]] std::uint8_t* Piece();
  // The piece Piece() gave holds |size| bytes, the next ones of the file.
  void Filled(DWORD size);
  // The first write's error once there was one, else 0.
  [[nodiscard]] DWORD WriteError() const { return writeError_; }
  // Returns once every filled piece is written: 0, or the first write's error.
  [[nodiscard]] DWORD Flush();
  // After a Flush that found no error: returns once every byte is hashed,
  // with the wanted digests in |digests|; none when nothing was written (a
  // file digest has none for an empty file) or the hashing could not be had.
  void Finish(DownloadDigests& digests);

 private:
  enum class State { kFollow, kFinish, kStop };
  static DWORD WINAPI WriterProc(void* self);
  static DWORD WINAPI HasherProc(void* self);
  void WriteAll();
  void Write(std::uint32_t index);
  void HashAll();
  void HashPrefix();
  void Hash(const std::uint8_t* data, std::size_t size);
  [[nodiscard]] std::uint8_t* Slot(std::uint32_t index) const;

  HANDLE file_;
  std::uint32_t prefix_;
  std::uint32_t pieceBytes_;
  std::uint32_t slots_;
  std::unique_ptr<std::uint8_t[]> pieces_;
  std::unique_ptr<DWORD[]> sizes_;
  // Pieces filled (counted only by the transfer), written (only by the
  // writer) and hashed (only by the hasher, which reads them from memory
  // and so follows the filled ones).
  std::atomic<std::uint32_t> filled_{0};
  std::atomic<std::uint32_t> written_{0};
  std::atomic<std::uint32_t> hashed_{0};
  std::atomic<State> state_{State::kFollow};
  std::atomic<DWORD> writeError_{0};
  // Where the next piece is written.
  std::uint32_t writeAt_;
  std::uint64_t hashedBytes_ = 0;
  bool hashFailed_ = false;
  std::optional<Md5> md5_;
  std::optional<Sha256> sha256_;
  Doorbell toWriter_;
  Doorbell toHasher_;
  Doorbell toTransfer_;
  UniqueHandle writer_;
  UniqueHandle hasher_;
};

}  // namespace tessaro
