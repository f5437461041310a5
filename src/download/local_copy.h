#pragma once
// A file URL's source copied into the target the way an internet transfer
// ends: through the ".part" file, with progress reports, and a final rename.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/progress_listener.h"

namespace tessaro {

// The state of one copy, shared with CopyFileExW's progress routine.
struct CopyProgress {
  // Progress goes out only while both are on: the copy's own switch and its caller's.
  bool reportProgress = true;
  bool progressWanted = true;
  std::uint32_t bytesDone = 0;
  std::uint32_t lastReportTick = 0;
  std::uint32_t bytesAtLastReport = 0;
  std::uint32_t totalBytes = 0;
  ProgressListener* listener = nullptr;
  // What CopyFileExW had transferred at its last call, and the unit of the
  // reports (bytes / divisor).
  double lastSeenTransferred = 0;
  std::uint32_t divisor = 1;
  bool reportBegin = true;
  // OnFinished (beginLevel, 0) when a stream reaches its size; the copy as a
  // whole reports its end through the final group instead.
  bool reportFinish = false;
  bool reportErrors = true;
  std::uint32_t beginLevel = 1;
  // Cancel stops the copy so that it may be restarted, instead of ending it.
  bool restartable = false;
  // The final steps: the rename's failure and the end of the transfer.
  bool finalReport = true;
  bool finalFinish = true;
  ProgressListener* finalListener = nullptr;
  // Create the ".part" file readable and writable by Everyone and LocalSystem.
  bool secure = false;
  // Year 0: copy whatever the source's time. Else copy only a newer source.
  SYSTEMTIME compareTime{};
  bool wantTime = false;
  // The source's last-write time, read when wantTime or compareTime asks.
  SYSTEMTIME sourceTime{};
};

// Copies |source| to |target| + ".part", then puts it in the target's place.
// 0, kErrorNotModified (not reported), or a reported Windows error.
[[nodiscard]] std::uint32_t LocalCopy(CopyProgress& progress, const std::wstring& source,
                                      const std::wstring& target);

// LocalCopy's routine for CopyFileExW (|data| is the CopyProgress). An entry
// of its own because not every CopyFileExW calls it.
DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalTransferred,
                                   LARGE_INTEGER streamSize, LARGE_INTEGER streamTransferred,
                                   DWORD streamNumber, DWORD reason, HANDLE sourceFile, HANDLE targetFile,
                                   LPVOID data);

}  // namespace tessaro
