#include "download/local_copy.h"

#include "download/part_file.h"
#include "download/transfer_session.h"
#include "platform/chainer_codes.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

// Progress is reported at most this often, and once more at the end.
constexpr DWORD kReportIntervalMs = 200;

[[nodiscard]] bool NotNewer(const SYSTEMTIME& source, const SYSTEMTIME& compare) {
  FILETIME sourceTime;
  FILETIME compareTime;
  return SystemTimeToFileTime(&source, &sourceTime) && SystemTimeToFileTime(&compare, &compareTime) &&
         CompareFileTime(&compareTime, &sourceTime) >= 0;
}

[[nodiscard]] DWORD ReadLastWriteTime(const std::wstring& path, SYSTEMTIME& time) {
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME written;
  if (!file || !GetFileTime(file.Get(), nullptr, nullptr, &written) ||
      !FileTimeToSystemTime(&written, &time)) {
    return GetLastError();
  }
  return 0;
}

// An empty file with the shared access list, which the copy then keeps.
[[nodiscard]] DWORD CreateSecurePart(const std::wstring& partPath) {
  DWORD error = 0;
  const auto descriptor = SharedFileDescriptor(error);
  if (!descriptor) return error;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor->Get(), FALSE};
  const UniqueFile file(CreateFileW(ToLongForm(partPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    &attributes, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? 0 : GetLastError();
}

}  // namespace

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalTransferred, LARGE_INTEGER,
                                   LARGE_INTEGER, DWORD, DWORD reason, HANDLE, HANDLE, LPVOID data) {
  CopyProgress& progress = *static_cast<CopyProgress*>(data);
  ProgressListener* const listener = progress.listener;
  if (reason == CALLBACK_STREAM_SWITCH) {
    progress.lastSeenTransferred = 0;
    progress.bytesDone = progress.lastReportTick = progress.bytesAtLastReport = 0;
    progress.totalBytes = totalFileSize.LowPart;
    if (progress.reportBegin && listener != nullptr) {
      listener->OnTransferBegin(progress.beginLevel, progress.totalBytes, nullptr);
    }
  }
  if (listener != nullptr && listener->IsCancelled()) {
    return progress.restartable ? PROGRESS_STOP : PROGRESS_CANCEL;
  }
  const auto delta = static_cast<std::int64_t>(
      (static_cast<double>(totalTransferred.QuadPart) - progress.lastSeenTransferred) / progress.divisor);
  if (delta > 0) {
    progress.lastSeenTransferred = static_cast<double>(totalTransferred.QuadPart);
    progress.bytesDone += static_cast<std::uint32_t>(delta);
    const DWORD now = GetTickCount();
    const bool complete = progress.bytesDone >= progress.totalBytes;
    if (now - progress.lastReportTick >= kReportIntervalMs || complete) {
      if (progress.reportProgress && progress.progressWanted && listener != nullptr) {
        listener->OnProgress(progress.bytesDone - progress.bytesAtLastReport);
      }
      progress.lastReportTick = now;
      progress.bytesAtLastReport = progress.bytesDone;
    }
    if (complete && progress.reportFinish && listener != nullptr) {
      listener->OnFinished(progress.beginLevel, 0);
    }
  }
  return PROGRESS_CONTINUE;
}

std::uint32_t LocalCopy(CopyProgress& progress, const std::wstring& source, const std::wstring& target) {
  const auto fail = [&progress](DWORD code) -> std::uint32_t {
    if (progress.reportErrors && progress.listener != nullptr) progress.listener->OnError(nullptr, code, 0);
    return code;
  };
  const bool compare = progress.compareTime.wYear != 0;
  if (progress.wantTime || compare) {
    if (const DWORD error = ReadLastWriteTime(source, progress.sourceTime); error != 0) return fail(error);
  }
  if (compare && NotNewer(progress.sourceTime, progress.compareTime)) return kErrorNotModified;
  const std::wstring partPath = target + L".part";
  if (const DWORD error = CreateDirectories(partPath, false, nullptr); error != 0) return fail(error);
  if (progress.secure && !PathExists(partPath)) {
    if (const DWORD error = CreateSecurePart(partPath); error != 0) return fail(error);
  }
  if (!CopyFileExW(ToLongForm(source).c_str(), ToLongForm(partPath).c_str(), &CopyProgressRoutine, &progress,
                   nullptr, progress.restartable ? COPY_FILE_RESTARTABLE : 0)) {
    return fail(GetLastError());
  }
  ProgressListener* const finalListener = progress.finalListener;
  if (const DWORD error = ReplaceTargetWithPart(partPath, target); error != 0) {
    if (progress.finalReport && finalListener != nullptr) finalListener->OnError(nullptr, error, 0);
    return error;
  }
  if (progress.finalFinish && finalListener != nullptr) finalListener->OnFinished(1, 0);
  return 0;
}

std::uint32_t TransferSession::CopyLocalSource(const std::wstring& sourcePath) {
  CopyProgress progress;
  progress.listener = listener_;
  progress.finalListener = listener_;
  progress.secure = secureFile_;
  progress.compareTime = ifModifiedSince_;
  progress.wantTime = wantLastModified_;
  const std::uint32_t result = LocalCopy(progress, sourcePath, targetPath_);
  if (result == 0 && wantLastModified_) lastModified_ = progress.sourceTime;
  return result;
}

}  // namespace tessaro
