// tessaro-check FILE: what Tessaro will make of a configuration file.
#include <cstdio>
#include <cwchar>

#include "tessaro_version.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc == 2 && argv[1][0] == '-' && argv[1][1] == '-' && argv[1][2] == 'v') {
    std::printf("tessaro-check %s\n", TESSARO_VERSION_TEXT);
    return 0;
  }
  std::fprintf(stderr, "usage: tessaro-check [--quiet] path/to/setup.ini\n");
  return 2;
}
