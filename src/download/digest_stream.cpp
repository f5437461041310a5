#include "download/digest_stream.h"

#include <memory>

namespace tessaro {
namespace {

// Small enough to stay in the cache between the read and the hashing.
constexpr DWORD kBlockBytes = 256 * 1024;

}  // namespace

DigestStream::DigestStream(HANDLE file, std::uint32_t length, const DownloadDigests& wanted)
    : file_(file), length_(length), grown_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (wanted.wantMd5) md5_.emplace();
  if (wanted.wantSha256) sha256_.emplace();
  // Without an event or a thread, Finish hashes on the caller's thread.
  if (grown_) thread_.Reset(CreateThread(nullptr, 0, &DigestStream::ThreadProc, this, 0, nullptr));
}

DigestStream::~DigestStream() {
  if (!thread_) return;
  state_ = State::kStop;
  (void)SetEvent(grown_.Get());
  (void)WaitForSingleObject(thread_.Get(), INFINITE);
}

void DigestStream::Grow(std::uint32_t length) {
  length_ = length;
  if (grown_) (void)SetEvent(grown_.Get());
}

void DigestStream::Finish(DownloadDigests& digests) {
  state_ = State::kFinish;
  if (thread_) {
    (void)SetEvent(grown_.Get());
    (void)WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  } else {
    Follow();
  }
  digests.Forget();
  if (failed_ || hashed_ == 0) return;
  if (md5_) digests.md5 = DigestHex(md5_->Finish());
  if (sha256_ && !sha256_->Finish(digests.sha256)) digests.Forget();
}

DWORD WINAPI DigestStream::ThreadProc(void* self) {
  static_cast<DigestStream*>(self)->Follow();
  return 0;
}

void DigestStream::Follow() {
  const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(kBlockBytes);
  for (;;) {
    const State state = state_;
    if (state == State::kStop) return;
    const std::uint32_t length = length_;
    if (hashed_ < length && !failed_) {
      OVERLAPPED at{};
      at.Offset = hashed_;
      DWORD read = 0;
      const DWORD wanted = length - hashed_ < kBlockBytes ? length - hashed_ : kBlockBytes;
      failed_ = !ReadFile(file_, block.get(), wanted, &read, &at) || read != wanted;
      if (failed_) continue;
      if (md5_) md5_->Update(block.get(), read);
      if (sha256_) sha256_->Update(block.get(), read);
      hashed_ += read;
      continue;
    }
    if (state == State::kFinish) return;
    (void)WaitForSingleObject(grown_.Get(), INFINITE);
  }
}

}  // namespace tessaro
