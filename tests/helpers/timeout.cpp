// timeout.exe SECONDS
//
// Stands in for the system's timeout.exe, which Wine does not ship: the
// clean-up scripts pause with "timeout.exe 5" between their rounds. Waits
// the given whole seconds and exits with 0; anything else exits with 1 at
// once, as the real program does on bad input.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  wchar_t* end = nullptr;
  const unsigned long seconds = argc == 2 ? std::wcstoul(argv[1], &end, 10) : 0;
  if (end == nullptr || end == argv[1] || *end != L'\0') return 1;
  Sleep(seconds * 1000);
  return 0;
}
