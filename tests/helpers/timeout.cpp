// timeout.exe SECONDS
//
// Stands in for the system's timeout.exe, which Wine does not ship: the
// clean-up scripts pause with "timeout.exe 5" between their rounds. Waits
// the given whole seconds and exits with 0; anything else exits with 1 at
// once, as the real program does on bad input.
#include <windows.h>

#include <cwchar>

namespace {

constexpr DWORD kMillisecondsPerSecond = 1000;
constexpr int kUsageError = 1;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return kUsageError;
  wchar_t* end = nullptr;
  const unsigned long seconds = std::wcstoul(argv[1], &end, 10);
  if (end == argv[1] || *end != L'\0') return kUsageError;
  Sleep(seconds * kMillisecondsPerSecond);
  return 0;
}
