// FileSha256Hex over one large file: prints the seconds it took and the digest,
// so that the bench script can set it against sha256sum on the same file.
// Usage: bench_sha256.exe FILE
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "download/file_sha256.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    std::fwprintf(stderr, L"usage: bench_sha256 FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::wstring hex;
  const bool ok = tessaro::FileSha256Hex(argv[1], hex);
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  std::wprintf(L"%.3f %ls\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, hex.c_str());
  return 0;
}
