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

// Disables file-system redirection of the calling thread for its lifetime
// when asked and possible. While redirection is off, a 32-bit process that
// loads a library gets the 64-bit one from System32, which it cannot use:
// LoadSystemLibrary refuses to load anything inside such a scope.
class RedirectionGuard {
 public:
  explicit RedirectionGuard(bool disable) noexcept;
  RedirectionGuard(const RedirectionGuard&) = delete;
  RedirectionGuard& operator=(const RedirectionGuard&) = delete;
  ~RedirectionGuard();

 private:
  PVOID oldValue_ = nullptr;
  bool asked_ = false;
  bool active_ = false;
};

// True inside a RedirectionGuard of the calling thread that asked for
// redirection off. It counts the asking, not the system's answer, so that the
// rule for library loads holds, and is tested, in every build: a 64-bit
// process has no redirection to turn off.
[[nodiscard]] bool IsRedirectionOffOnThisThread() noexcept;

}  // namespace tessaro
