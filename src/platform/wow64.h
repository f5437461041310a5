#pragma once
// The 32-bit and 64-bit views of a 64-bit Windows. The entries are looked up
// at run time because old systems lack them.
#include <windows.h>

namespace tessaro {

struct Wow64Functions {
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  using RevertFn = BOOL(WINAPI*)(PVOID);
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  DisableFn disableRedirection = nullptr;
  RevertFn revertRedirection = nullptr;
  IsWow64Fn isWow64Process = nullptr;
  bool runsUnderWow64 = false;
};

// Filled once per process.
[[nodiscard]] const Wow64Functions& LoadWow64Functions();

// True on 64-bit Windows: always in a 64-bit build, else when this process runs under WOW64.
[[nodiscard]] bool IsWindows64Bit();

// Disables file-system redirection for its lifetime when asked and possible.
class RedirectionGuard {
 public:
  RedirectionGuard() noexcept = default;
  explicit RedirectionGuard(bool disable) noexcept;
  RedirectionGuard(const RedirectionGuard&) = delete;
  RedirectionGuard& operator=(const RedirectionGuard&) = delete;
  ~RedirectionGuard();
  [[nodiscard]] bool Disable() noexcept;
  void Revert() noexcept;
  [[nodiscard]] bool IsActive() const noexcept { return active_; }

 private:
  PVOID oldValue_ = nullptr;
  bool active_ = false;
};

}  // namespace tessaro
