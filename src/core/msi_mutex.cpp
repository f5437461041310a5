#include "core/msi_mutex.h"

#include "platform/handles.h"

namespace tessaro {

InstallerWait WaitForInstallerIdle(const wchar_t* mutexName) noexcept {
  UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, mutexName));
  if (!mutex) {
    // Only a missing mutex is good news; anything else (no access, a
    // different object under that name) means we cannot tell, so stay out.
    return GetLastError() == ERROR_FILE_NOT_FOUND ? InstallerWait::Proceed : InstallerWait::Skip;
  }
  // An abandoned mutex (its owner died mid-installation) or a failed wait
  // leaves the installer's state unknown: skip as well.
  const DWORD waited = WaitForSingleObject(mutex.Get(), INFINITE);
  return waited == WAIT_OBJECT_0 ? InstallerWait::Proceed : InstallerWait::Skip;
}

}  // namespace tessaro
