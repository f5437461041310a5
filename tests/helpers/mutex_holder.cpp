// mutex_holder NAME HOLD_MS RELEASE_FILE: holds a named mutex as a running
// Windows Installer installation does. Prints "holding" once it owns it, and
// "released" after HOLD_MS milliseconds or as soon as RELEASE_FILE exists.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/handles.h"
#include "platform/paths.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return ERROR_INVALID_PARAMETER;
  const tessaro::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, argv[1]));
  if (!mutex || WaitForSingleObject(mutex.Get(), INFINITE) == WAIT_FAILED)
    return static_cast<int>(GetLastError());
  std::puts("holding");
  std::fflush(stdout);
  const ULONGLONG started = GetTickCount64();
  while (GetTickCount64() - started < std::wcstoul(argv[2], nullptr, 10) && !tessaro::PathExists(argv[3]))
    Sleep(20);
  ReleaseMutex(mutex.Get());
  std::puts("released");
  return 0;
}
