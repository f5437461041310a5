#include "platform/wow64.h"

#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {

namespace {

constinit ProcessOnce<Wow64Functions> Wow64;
constinit ProcessOnce<DWORD> RedirectionScopes;

// Redirection belongs to a thread, so the count of scopes that asked for it
// off is kept per thread. Thread-local storage of the system: the product
// links no threading library.
DWORD RedirectionScopeSlot() noexcept {
  return RedirectionScopes.Get([] { return TlsAlloc(); });
}

void AddRedirectionScope(int change) noexcept {
  const DWORD slot = RedirectionScopeSlot();
  if (slot == TLS_OUT_OF_INDEXES) return;
  const auto count = reinterpret_cast<INT_PTR>(TlsGetValue(slot)) + change;
  (void)TlsSetValue(slot, reinterpret_cast<PVOID>(count));
}

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
  if (!disable) return;
  asked_ = true;
  AddRedirectionScope(1);
  const Wow64Functions& functions = LoadWow64Functions();
  if (functions.disableRedirection == nullptr || functions.revertRedirection == nullptr) return;
  active_ = functions.disableRedirection(&oldValue_) != FALSE;
}

RedirectionGuard::~RedirectionGuard() {
  if (active_) (void)LoadWow64Functions().revertRedirection(oldValue_);
  if (asked_) AddRedirectionScope(-1);
}

bool IsRedirectionOffOnThisThread() noexcept {
  const DWORD slot = RedirectionScopeSlot();
  return slot != TLS_OUT_OF_INDEXES && TlsGetValue(slot) != nullptr;
}

}  // namespace tessaro
