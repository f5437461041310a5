// load_library.exe NAME...
//
// Loads each library by its bare name with the default search order, as an
// unprotected program would. Placed beside planted copies (which record
// every process that loads them) it shows which names the loader would take
// from the program's own folder.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) LoadLibraryW(argv[i]);
  return 0;
}
