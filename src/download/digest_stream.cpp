#include "download/digest_stream.h"

namespace tessaro {
namespace {

// Pieces in turn while hashing: one being read, one waiting for its write,
// and the rest for either side to run ahead while the other is held up. With
// only a few, the two threads wait for each other at every piece, and each
// wake-up costs more than the piece (a whole run took half as long again).
constexpr std::uint32_t kHashedSlots = 16;
// Without hashing a piece is free again once written.
constexpr std::uint32_t kPlainSlots = 2;
// Reads of a resumed file: small enough to stay in the cache until hashed.
constexpr DWORD kPrefixBlockBytes = 256 * 1024;

}  // namespace

DigestStream::DigestStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted,
                           std::uint32_t pieceBytes)
    : file_(file),
      prefix_(length),
      pieceBytes_(pieceBytes),
      slots_(wanted.Wanted() ? kHashedSlots : kPlainSlots),
      pieces_(std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{slots_} * pieceBytes)),
      sizes_(std::make_unique<std::atomic<DWORD>[]>(slots_)) {
  if (!wanted.Wanted()) return;
  if (wanted.wantMd5) md5_.emplace();
  if (wanted.wantSha256) sha256_.emplace();
  writtenEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  doneEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  // Without them the file is hashed afterwards, as when nothing is wanted.
  if (writtenEvent_ && doneEvent_) {
    thread_.Reset(CreateThread(nullptr, 0, &DigestStream::ThreadProc, this, 0, nullptr));
  }
}

DigestStream::~DigestStream() {
  if (!thread_) return;
  state_ = State::kStop;
  (void)SetEvent(writtenEvent_.Get());
  (void)WaitForSingleObject(thread_.Get(), INFINITE);
}

std::uint8_t* DigestStream::Piece(bool afterHeld) {
  const std::uint32_t index = written_ + (afterHeld ? 1 : 0);
  while (index - done_ >= slots_) (void)WaitForSingleObject(doneEvent_.Get(), INFINITE);
  return pieces_.get() + std::size_t{index % slots_} * pieceBytes_;
}

void DigestStream::Written(DWORD size) {
  const std::uint32_t index = written_;
  sizes_[index % slots_] = size;
  written_ = index + 1;
  if (thread_) {
    (void)SetEvent(writtenEvent_.Get());
  } else {
    done_ = index + 1;
  }
}

void DigestStream::Finish(DownloadDigests& digests) {
  digests.Forget();
  if (!thread_) return;
  state_ = State::kFinish;
  (void)SetEvent(writtenEvent_.Get());
  (void)WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
  if (failed_ || hashed_ == 0) return;
  if (md5_) digests.md5 = DigestHex(md5_->Finish());
  if ((sha256_ && !sha256_->Finish(digests.sha256)) || !GetFileInformationByHandle(file_, &digests.file)) {
    digests.Forget();
  }
}

bool DownloadDigests::Describe(HANDLE opened) const {
  BY_HANDLE_FILE_INFORMATION now;
  return GetFileInformationByHandle(opened, &now) && now.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
         now.nFileIndexHigh == file.nFileIndexHigh && now.nFileIndexLow == file.nFileIndexLow &&
         now.nFileSizeHigh == file.nFileSizeHigh && now.nFileSizeLow == file.nFileSizeLow &&
         CompareFileTime(&now.ftLastWriteTime, &file.ftLastWriteTime) == 0;
}

DWORD WINAPI DigestStream::ThreadProc(void* self) {
  static_cast<DigestStream*>(self)->Follow();
  return 0;
}

void DigestStream::Follow() {
  HashPrefix();
  for (;;) {
    const State state = state_;
    if (state == State::kStop) return;
    const std::uint32_t index = done_;
    if (index != written_) {
      if (!failed_) Hash(pieces_.get() + std::size_t{index % slots_} * pieceBytes_, sizes_[index % slots_]);
      done_ = index + 1;
      (void)SetEvent(doneEvent_.Get());
      continue;
    }
    if (state == State::kFinish) return;
    (void)WaitForSingleObject(writtenEvent_.Get(), INFINITE);
  }
}

void DigestStream::HashPrefix() {
  if (prefix_ == 0) return;
  const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(kPrefixBlockBytes);
  while (hashed_ < prefix_ && state_ != State::kStop) {
    // At its offset: the transfer's writes go by theirs, not by the file pointer.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(hashed_);
    const DWORD wanted = prefix_ - hashed_ < kPrefixBlockBytes ? static_cast<DWORD>(prefix_ - hashed_) : kPrefixBlockBytes;
    DWORD read = 0;
    if (!ReadFile(file_, block.get(), wanted, &read, &at) || read != wanted) {
      failed_ = true;
      return;
    }
    Hash(block.get(), read);
  }
}

void DigestStream::Hash(const std::uint8_t* data, std::size_t size) {
  if (md5_) md5_->Update(data, size);
  if (sha256_) sha256_->Update(data, size);
  hashed_ += size;
}

}  // namespace tessaro
