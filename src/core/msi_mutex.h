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

// Blocks without time-out and without pumping messages. A missing mutex
// means no installation runs. The mutex is opened for SYNCHRONIZE only, so
// a successful wait cannot be undone by releasing it; only the handle is
// closed. Tests pass a private name.
[[nodiscard]] InstallerWait WaitForInstallerIdle(const wchar_t* mutexName = kMsiExecuteMutexName) noexcept;

}  // namespace tessaro
