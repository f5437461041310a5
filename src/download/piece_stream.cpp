#include "download/piece_stream.h"

namespace tessaro {
namespace {

// Pieces in turn while hashing: one being read, one being written, and the
// rest for either side to run ahead while another is held up. With only a
// few, the threads wait for each other at every piece, and each wake-up
// costs more than the piece (a whole run took half as long again).
constexpr std::uint32_t kHashedSlots = 16;
// Without hashing: one being read, and the others waiting for their write.
constexpr std::uint32_t kPlainSlots = 16;
// A sleeping thread is woken once this many pieces wait for it, not for
// each: a wake-up costs a round trip to Wine's server, as much as a
// tenth of a loopback download when paid for every piece.
constexpr std::uint32_t kPiecesPerWakeUp = 4;
// Reads of a resumed file: small enough to stay in the cache until hashed.
constexpr DWORD kPrefixBlockBytes = 256 * 1024;

}  // namespace

PieceStream::PieceStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted,
                         std::uint32_t pieceBytes)
    : file_(file),
      prefix_(length),
      pieceBytes_(pieceBytes),
      slots_(wanted.Wanted() ? kHashedSlots : kPlainSlots),
      pieces_(std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{slots_} * pieceBytes)),
      sizes_(std::make_unique<DWORD[]>(slots_)),
      writeAt_(length) {
  // Without a thread of its own the transfer writes each piece itself.
  if (toWriter_.Usable() && toTransfer_.Usable()) {
    writer_.Reset(CreateThread(nullptr, 0, &PieceStream::WriterProc, this, 0, nullptr));
  }
  if (!wanted.Wanted()) return;
  if (wanted.wantMd5) md5_.emplace();
  if (wanted.wantSha256) sha256_.emplace();
  // Without it the file is hashed afterwards, as when nothing is wanted.
  if (toHasher_.Usable() && toTransfer_.Usable()) {
    hasher_.Reset(CreateThread(nullptr, 0, &PieceStream::HasherProc, this, 0, nullptr));
  }
}

PieceStream::~PieceStream() {
  state_ = State::kStop;
  toWriter_.Wake();
  toHasher_.Wake();
  if (writer_) (void)WaitForSingleObject(writer_.Get(), INFINITE);
  if (hasher_) (void)WaitForSingleObject(hasher_.Get(), INFINITE);
}

std::uint8_t* PieceStream::Slot(std::uint32_t index) const {
  return pieces_.get() + std::size_t{index % slots_} * pieceBytes_;
}

std::uint8_t* PieceStream::Piece() {
  toTransfer_.WaitUntil([this] {
    const std::uint32_t index = filled_;
    return index - written_ < slots_ && (!hasher_ || index - hashed_ < slots_);
  });
  return Slot(filled_);
}

void PieceStream::Filled(DWORD size) {
  const std::uint32_t index = filled_;
  sizes_[index % slots_] = size;
  filled_ = index + 1;
  if (!writer_) {
    Write(index);
  } else if (index + 1 - written_ >= kPiecesPerWakeUp) {
    toWriter_.Ring();
  }
  if (hasher_ && index + 1 - hashed_ >= kPiecesPerWakeUp) toHasher_.Ring();
}

DWORD PieceStream::Flush() {
  toWriter_.Ring();
  toTransfer_.WaitUntil([this] { return written_ == filled_; });
  return writeError_;
}

void PieceStream::Finish(DownloadDigests& digests) {
  digests.Forget();
  if (!hasher_) return;
  state_ = State::kFinish;
  toHasher_.Wake();
  (void)WaitForSingleObject(hasher_.Get(), INFINITE);
  hasher_.Reset();
  if (hashFailed_ || hashedBytes_ == 0) return;
  if (md5_) digests.md5 = DigestHex(md5_->Finish());
  if ((sha256_ && !sha256_->Finish(digests.sha256)) || !GetFileInformationByHandle(file_, &digests.file)) {
    digests.Forget();
  }
}

DWORD WINAPI PieceStream::WriterProc(void* self) {
  static_cast<PieceStream*>(self)->WriteAll();
  return 0;
}

DWORD WINAPI PieceStream::HasherProc(void* self) {
  static_cast<PieceStream*>(self)->HashAll();
  return 0;
}

void PieceStream::WriteAll() {
  for (;;) {
    toWriter_.WaitUntil([this] { return written_ != filled_ || state_ == State::kStop; });
    if (state_ == State::kStop) return;
    Write(written_);
  }
}

void PieceStream::Write(std::uint32_t index) {
  const DWORD size = sizes_[index % slots_];
  // At its offset: a resumed file's start is read back beside the writes.
  OVERLAPPED at{};
  at.Offset = writeAt_;
  DWORD written = 0;
  // After a failed write nothing more goes in: the transfer fails.
  if (writeError_ == 0) {
    if (!WriteFile(file_, Slot(index), size, &written, &at)) {
      writeError_ = GetLastError();
    } else if (written != size) {
      writeError_ = ERROR_WRITE_FAULT;
    }
  }
  writeAt_ += written;
  written_ = index + 1;
  toTransfer_.Ring();
}

void PieceStream::HashAll() {
  HashPrefix();
  for (;;) {
    toHasher_.WaitUntil([this] { return hashed_ != filled_ || state_ != State::kFollow; });
    const State state = state_;
    if (state == State::kStop) return;
    const std::uint32_t index = hashed_;
    if (index == filled_) return;  // finishing, and every piece is hashed
    if (!hashFailed_) Hash(Slot(index), sizes_[index % slots_]);
    hashed_ = index + 1;
    toTransfer_.Ring();
  }
}

void PieceStream::HashPrefix() {
  if (prefix_ == 0) return;
  const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(kPrefixBlockBytes);
  while (hashedBytes_ < prefix_ && state_ != State::kStop) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(hashedBytes_);
    const DWORD wanted =
        prefix_ - hashedBytes_ < kPrefixBlockBytes ? static_cast<DWORD>(prefix_ - hashedBytes_) : kPrefixBlockBytes;
    DWORD read = 0;
    if (!ReadFile(file_, block.get(), wanted, &read, &at) || read != wanted) {
      hashFailed_ = true;
      return;
    }
    Hash(block.get(), read);
  }
}

void PieceStream::Hash(const std::uint8_t* data, std::size_t size) {
  if (md5_) md5_->Update(data, size);
  if (sha256_) sha256_->Update(data, size);
  hashedBytes_ += size;
}

}  // namespace tessaro
