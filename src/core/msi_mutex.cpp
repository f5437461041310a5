#include "core/msi_mutex.h"

#include "platform/handles.h"
#include "ui/worker_thread.h"

namespace tessaro {

InstallerWait WaitForInstallerIdle(const wchar_t* mutexName) noexcept {
  UniqueHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, mutexName));
  if (!mutex) {
    // Only a missing mutex is good news; anything else (no access, a
    // different object under that name) means we cannot tell, so stay out.
    return GetLastError() == ERROR_FILE_NOT_FOUND ? InstallerWait::Proceed : InstallerWait::Skip;
  }
  const DWORD waited = WaitWithMessagePump(mutex.Get());
  // Either way the wait made this thread the owner; closing the handle
  // would not end that, and an owner that exits leaves the mutex abandoned
  // for the next waiter.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0) (void)ReleaseMutex(mutex.Get());
  // An abandoned mutex (its owner died mid-installation) or a failed wait
  // leaves the installer's state unknown: skip as well.
  return waited == WAIT_OBJECT_0 ? InstallerWait::Proceed : InstallerWait::Skip;
}

}  // namespace tessaro
