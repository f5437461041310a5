// One file digest of the product over one large file: prints the seconds it
// took and the digest, so that the bench script can set it against md5sum or
// sha256sum on the same file.
// Usage: bench_digest.exe md5|sha256 FILE
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "download/file_md5.h"
#include "download/file_sha256.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool md5 = argc == 3 && std::wstring(argv[1]) == L"md5";
  if (argv == nullptr || argc != 3 || (!md5 && std::wstring(argv[1]) != L"sha256")) {
    std::fwprintf(stderr, L"usage: bench_digest md5|sha256 FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::wstring hex;
  const bool ok = md5 ? tessaro::FileMd5Hex(argv[2], hex) : tessaro::FileSha256Hex(argv[2], hex);
  QueryPerformanceCounter(&end);
  if (!ok) return 1;
  std::wprintf(L"%.3f %ls\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, hex.c_str());
  return 0;
}
