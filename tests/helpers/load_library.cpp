// load_library.exe NAME...
//
// Loads each library by its bare name with the default search order, as an
// unprotected program would, and prints "NAME loaded" or "NAME failed N"
// (the error code). Placed beside planted copies it shows which names the
// loader would take from the program's own folder.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    const HMODULE module = LoadLibraryW(argv[i]);
    if (module != nullptr) {
      std::wprintf(L"%ls loaded\n", argv[i]);
    } else {
      std::wprintf(L"%ls failed %lu\n", argv[i], GetLastError());
    }
  }
  return 0;
}
