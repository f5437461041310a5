#include <algorithm>
#include <memory>
#include <utility>

#include "download/download_digests.h"
#include "download/internet_handles.h"
#include "download/part_file.h"
#include "download/piece_stream.h"
#include "download/transfer_session.h"
#include "download/wininet_api.h"
#include "platform/chainer_codes.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

// A read that asks for more than is ready returns only once it is full, and
// closing the request does not call it off: pieces grow only while they fill
// this fast, so that Cancel never waits long for one. A slower piece sets the
// next one's size by its rate: a busy machine may hold up a fast server's
// piece now and then, and that piece should not start the growth afresh.
constexpr DWORD kQuickPieceMilliseconds = 50;

// The connection went away under a transfer that may go on where it stopped.
[[nodiscard]] bool IsDroppedConnection(std::uint32_t code) {
  return code == ERROR_INTERNET_TIMEOUT || code == ERROR_INTERNET_CONNECTION_ABORTED ||
         code == ERROR_INTERNET_CONNECTION_RESET || code == ERROR_INTERNET_DISCONNECTED ||
         code == kErrorDataEndedEarly;
}

}  // namespace

std::uint32_t TransferSession::ReceiveToFile(HINTERNET session, RequestHandle& request, std::uint32_t total,
                                             std::uint32_t resumeOffset) {
  if (listener_ != nullptr) listener_->OnTransferBegin(1, total, targetPath_.c_str());
  if (IsCancelledNow()) return kErrorCancelled;
  const auto fail = [this](std::uint32_t code) {
    if (code != kErrorCancelled) Report(nullptr, code);
    return code;
  };
  if (const unsigned long error = CreateDirectories(partPath_, false, nullptr); error != 0) {
    return fail(error);
  }
  std::unique_ptr<SecurityDescriptor> descriptor;
  if (secureFile_ && resumeOffset == 0) {
    DWORD error = 0;
    descriptor = SharedFileDescriptor(error);
    if (descriptor == nullptr) return fail(error);
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor ? descriptor->Get() : nullptr, FALSE};
  // A fresh file is opened, and an old one cut to nothing, rather than
  // overwritten with CREATE_ALWAYS: Wine truncates every file that opens so,
  // new ones too, and ext4 then writes a truncated file's data out to disk
  // when it is closed, which costs a large download a fifth of a second.
  UniqueFile file(CreateFileW(ToLongForm(partPath_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes,
                              resumeOffset != 0 ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return fail(IsCancelledNow() ? kErrorCancelled : error);
  }
  if (resumeOffset == 0 && GetLastError() == ERROR_ALREADY_EXISTS && !SetEndOfFile(file.Get())) {
    return fail(GetLastError());
  }
  // The length the file will have once every piece handed over is written.
  std::uint32_t length = resumeOffset != 0 ? GetFileSize(file.Get(), nullptr) : 0;
  // WinINet may still fill these after a cancelled wait, until the request is
  // closed: they outlive the loop, and the request is closed before they go.
  PieceStream pieces(file.Get(), length, digests_ != nullptr ? *digests_ : DownloadDigests(), kReceivePieceBytes);
  // A read that goes on leaves its count in here, from WinINet's thread.
  INTERNET_BUFFERSA into{};
  if (listener_ != nullptr) listener_->OnProgress(resumeOffset);

  const WinInetApi& api = WinInet();
  DWORD available = 0;
  DWORD read = 0;
  // Pieces are kept small for Cancel's and Pause's sake only. A transfer
  // that nobody can cancel (a silent run has no listener) reads whole
  // pieces from the first, which also keeps Wine's socket reads large: a
  // transfer whose first reads are small stays slower to its end.
  const bool nobodyWaits = listener_ == nullptr;
  DWORD piece = nobodyWaits ? kReceivePieceBytes : 0;
  // A call that yields a byte count, at once or through the callback, which
  // passes the count in its error field.
  const auto counted = [&](BOOL done, DWORD& count) -> std::uint32_t {
    const std::uint32_t error = Wait(done ? 0 : GetLastError(), WhilePaused::kHold);
    if (error != 0 || done) return error;
    if (asyncResult_ == 0) return asyncError_;
    if (static_cast<LONG>(asyncError_) > 0) count = asyncError_;
    return 0;
  };

  // A server that keeps dropping the connection before any new byte arrives
  // would have us reconnect forever.
  int fruitlessReconnects = 0;
  DWORD sizeAtReconnect = resumeOffset;
  const auto receive = [&]() -> std::uint32_t {
    for (;;) {
      read = 0;
      std::uint32_t error = 0;
      // No request: the open found the .part already whole.
      const bool open = request.Get() != nullptr;
      if (open && piece == 0) {
        // Asked only when the last piece came too slowly to size the next
        // one: what is waiting, or the first bytes to come, is the piece.
        available = 0;
        BeginOperation(TransferOperation::kQueryData);
        error = counted(api.queryDataAvailable(request.Get(), &available, 0, reinterpret_cast<DWORD_PTR>(this)),
                        available);
        piece = available;
      }
      if (error == 0 && open && piece != 0) {
        into = INTERNET_BUFFERSA{};
        into.dwStructSize = sizeof into;
        into.lpvBuffer = pieces.Piece();
        into.dwBufferLength = std::min<DWORD>(piece, kReceivePieceBytes);
        BeginOperation(TransferOperation::kRead);
        const DWORD started = GetTickCount();
        error = counted(api.readFileEx(request.Get(), &into, IRF_ASYNC, reinterpret_cast<DWORD_PTR>(this)),
                        into.dwBufferLength);
        read = error == 0 ? into.dwBufferLength : 0;
        const DWORD took = GetTickCount() - started;
        if (!nobodyWaits) {
          piece = took < kQuickPieceMilliseconds ? std::min<DWORD>(2 * std::max(piece, read), kReceivePieceBytes)
                                                 : read * kQuickPieceMilliseconds / took;
        }
      }
      if (error == 0 && read != 0) {
        // A paused transfer hands nothing more to be written.
        HoldWhilePaused(true);
        if (IsCancelledNow()) return kErrorCancelled;
        pieces.Filled(read);
        length += read;
        if (listener_ != nullptr) listener_->OnProgress(read);
        if (const DWORD unwritten = pieces.WriteError(); unwritten != 0) return fail(unwritten);
        continue;
      }
      if (const DWORD unwritten = pieces.Flush(); unwritten != 0) return fail(unwritten);
      const DWORD size = length;
      if (error == 0) {
        if (total == 0 || size >= total) {
          if (digests_ != nullptr) pieces.Finish(*digests_);
          file.Reset();
          bool copied = false;
          if (const unsigned long moved = ReplaceTargetWithPart(partPath_, targetPath_, &copied); moved != 0) {
            return fail(moved);
          }
          // A copy's bytes are not the ones hashed: it is hashed afresh.
          if (copied && digests_ != nullptr) digests_->Forget();
          if (listener_ != nullptr) listener_->OnFinished(1, 0);
          return 0;
        }
        error = kErrorDataEndedEarly;
      }
      fruitlessReconnects = size == sizeAtReconnect ? fruitlessReconnects + 1 : 0;
      sizeAtReconnect = size;
      if (!IsDroppedConnection(error) || !reconnectAllowed_ || fruitlessReconnects > retryCount_) {
        return fail(error);
      }
      if (error = Reconnect(session, file.Get(), request, total); error != 0) return fail(error);
    }
  };
  const std::uint32_t result = receive();
  request.Close();
  return result;
}

std::uint32_t TransferSession::Reconnect(HINTERNET session, HANDLE file, RequestHandle& request,
                                         std::uint32_t& total) {
  request.Close();
  SessionHandle(std::exchange(connection_, nullptr)).Close();
  (void)FlushFileBuffers(file);
  const DWORD size = GetFileSize(file, nullptr);
  std::uint32_t offset = resume_ ? size : 0;
  OpenedSource source;
  const std::uint32_t result = OpenWithRetries(session, offset, source);
  total = source.remoteSize;
  if (result == 0) request.Reset(currentHandle_);
  // The server would send the file from another byte than the one we stopped at.
  if (size != 0 && offset != size) return ERROR_INTERNET_TIMEOUT;
  return result;
}

}  // namespace tessaro
