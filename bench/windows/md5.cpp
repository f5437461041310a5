// FileMd5Hex over one large file: prints the seconds it took and the digest,
// so that the bench script can set it against md5sum on the same file.
// Usage: bench_md5.exe FILE
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "download/file_md5.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    std::fwprintf(stderr, L"usage: bench_md5 FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::wstring hex;
  const bool ok = tessaro::FileMd5Hex(argv[1], hex);
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  std::wprintf(L"%.3f %ls\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, hex.c_str());
  return 0;
}
