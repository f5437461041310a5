// timeout.exe SECONDS
//
// Stands in for the system's timeout.exe, which Wine does not ship: the
// clean-up scripts pause with "timeout.exe 5" between their rounds. Waits
// the given whole seconds (also written "/t SECONDS"; "/nobreak" is
// accepted and changes nothing) and exits with 0; anything it cannot read
// exits with 1 at once, as the real program does.
#include <windows.h>

#include <cwchar>

namespace {

constexpr DWORD kMillisecondsPerSecond = 1000;
constexpr int kUsageError = 1;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], L"/t") == 0 || _wcsicmp(argv[i], L"/nobreak") == 0) continue;
    wchar_t* end = nullptr;
    const unsigned long seconds = std::wcstoul(argv[i], &end, 10);
    if (end == argv[i] || *end != L'\0') return kUsageError;
    Sleep(seconds * kMillisecondsPerSecond);
    return 0;
  }
  return kUsageError;
}
