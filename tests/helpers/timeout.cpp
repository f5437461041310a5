// timeout.exe SECONDS: Wine ships none, and the clean-up scripts pause with
// "timeout.exe 5" between their rounds. Bad input exits with 1 at once.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  wchar_t* end = nullptr;
  const unsigned long seconds = argc == 2 ? std::wcstoul(argv[1], &end, 10) : 0;
  if (end == nullptr || end == argv[1] || *end != L'\0') return 1;
  Sleep(seconds * 1000);
  return 0;
}
