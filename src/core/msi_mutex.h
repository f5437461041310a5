#pragma once
// Waiting until no Windows Installer installation runs: the installer holds
// a global named mutex while it works.
#include <windows.h>

namespace tessaro {

inline constexpr wchar_t kMsiExecuteMutexName[] = L"Global\\_MSIExecute";

enum class InstallerWait {
  Proceed,  // no installation runs (any more): go on with the run
  Skip,     // the mutex could not be opened or waited on: skip the run
};

// Blocks without time-out while dispatching the messages of this thread's
// windows, so that the "Preparing..." window stays responsive. A missing
// mutex means no installation runs. A wait that takes the mutex gives it
// back at once: the setups this run launches, and anyone else waiting, need
// it free. Tests pass a private name.
[[nodiscard]] InstallerWait WaitForInstallerIdle(const wchar_t* mutexName = kMsiExecuteMutexName) noexcept;

}  // namespace tessaro
