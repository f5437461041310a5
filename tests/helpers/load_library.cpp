// load_library.exe NAME...: loads each bare name with the default search
// order, as an unprotected program would, beside the planted copies.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) LoadLibraryW(argv[i]);
  return 0;
}
