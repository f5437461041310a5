#include "platform/wow64.h"

#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {

namespace {

constinit ProcessOnce<Wow64Functions> Wow64;

}  // namespace

const Wow64Functions& LoadWow64Functions() {
  return Wow64.Get([] {
    Wow64Functions found;
    // kernel32 is mapped into every process; asking for it cannot pull in a
    // library from the executable's folder.
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    found.disableRedirection =
        GetProcedure<Wow64Functions::DisableFn>(kernel, "Wow64DisableWow64FsRedirection");
    found.revertRedirection = GetProcedure<Wow64Functions::RevertFn>(kernel, "Wow64RevertWow64FsRedirection");
    found.isWow64Process = GetProcedure<Wow64Functions::IsWow64Fn>(kernel, "IsWow64Process");
    BOOL underWow64 = FALSE;
    if (found.isWow64Process != nullptr && found.isWow64Process(GetCurrentProcess(), &underWow64)) {
      found.runsUnderWow64 = underWow64 != FALSE;
    }
    return found;
  });
}

bool IsWindows64Bit() {
#if defined(_WIN64)
  // A 64-bit process can only run on 64-bit Windows.
  return true;
#else
  return LoadWow64Functions().runsUnderWow64;
#endif
}

RedirectionGuard::RedirectionGuard(bool disable) noexcept {
  if (disable) (void)Disable();
}

RedirectionGuard::~RedirectionGuard() { Revert(); }

bool RedirectionGuard::Disable() noexcept {
  if (active_) return true;
  const Wow64Functions& functions = LoadWow64Functions();
  if (functions.disableRedirection == nullptr || functions.revertRedirection == nullptr) return false;
  PVOID oldValue = nullptr;
  if (!functions.disableRedirection(&oldValue)) return false;
  oldValue_ = oldValue;
  active_ = true;
  return true;
}

void RedirectionGuard::Revert() noexcept {
  if (!active_) return;
  (void)LoadWow64Functions().revertRedirection(oldValue_);
  oldValue_ = nullptr;
  active_ = false;
}

}  // namespace tessaro
