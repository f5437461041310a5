// Holds a named mutex the way a running Windows Installer installation
// does, so that tests can see the program wait for it.
// Usage: mutex_holder NAME HOLD_MS [RELEASE_FILE]
// Prints "holding" once it owns the mutex, releases it after HOLD_MS
// milliseconds or as soon as RELEASE_FILE exists, prints "released" and ends.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/handles.h"

namespace {

constexpr DWORD kPollMilliseconds = 20;

bool FileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: mutex_holder NAME HOLD_MS [RELEASE_FILE]\n", stderr);
    return 2;
  }
  const wchar_t* name = argv[1];
  const DWORD holdMilliseconds = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  const wchar_t* releaseFile = argc > 3 ? argv[3] : nullptr;

  tessaro::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, name));
  if (!mutex) {
    std::fprintf(stderr, "CreateMutexW failed: %lu\n", GetLastError());
    return 1;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Someone else made it first; take it over once they let go.
    WaitForSingleObject(mutex.Get(), INFINITE);
  }
  std::puts("holding");
  std::fflush(stdout);

  const ULONGLONG started = GetTickCount64();
  while (GetTickCount64() - started < holdMilliseconds) {
    if (releaseFile != nullptr && FileExists(releaseFile)) break;
    Sleep(kPollMilliseconds);
  }
  ReleaseMutex(mutex.Get());
  std::puts("released");
  std::fflush(stdout);
  return 0;
}
