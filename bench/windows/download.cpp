// One download over loopback, timed: "engine" is TransferSession as the
// chainer runs it, without a listener; "loop" is the plain way to read with
// WinINet (a synchronous open and 1 MiB reads straight into the file), to
// tell what the engine's asynchronous reads cost or gain. Prints the seconds
// the download took; the bench script checks the file and sets the figure
// against curl on the same server.
// Usage: bench_download.exe engine|loop URL TARGET
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "download/transfer_session.h"
#include "platform/handles.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

constexpr DWORD kReadBytes = 1024 * 1024;

// The bench's own error: not a Windows code, so the script can tell them apart.
constexpr std::uint32_t kBenchSetupFailed = 0xE00000FF;

std::uint32_t MinimalLoop(const wchar_t* url, const wchar_t* target) {
  const HMODULE wininet = LoadSystemLibrary(L"wininet.dll");
  const auto open = GetProcedure<decltype(&InternetOpenW)>(wininet, "InternetOpenW");
  const auto openUrl = GetProcedure<decltype(&InternetOpenUrlW)>(wininet, "InternetOpenUrlW");
  const auto read = GetProcedure<decltype(&InternetReadFile)>(wininet, "InternetReadFile");
  const auto close = GetProcedure<decltype(&InternetCloseHandle)>(wininet, "InternetCloseHandle");
  if (open == nullptr || openUrl == nullptr || read == nullptr || close == nullptr) return kBenchSetupFailed;

  // Not CREATE_ALWAYS, as the engine does not use it: under Wine on ext4 it
  // costs a flush at the close. The script removes the target before each run.
  UniqueFile file(CreateFileW(target, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  const HINTERNET session = open(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) return GetLastError();
  std::uint32_t result = 0;
  const HINTERNET request =
      openUrl(session, url, nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (request == nullptr) {
    result = GetLastError();
  } else {
    std::vector<char> buffer(kReadBytes);
    for (;;) {
      DWORD got = 0, written = 0;
      if (!read(request, buffer.data(), kReadBytes, &got)) {
        result = GetLastError();
        break;
      }
      if (got == 0) break;
      if (!WriteFile(file.Get(), buffer.data(), got, &written, nullptr)) {
        result = GetLastError();
        break;
      }
    }
    close(request);
  }
  close(session);
  return result;
}

}  // namespace
}  // namespace tessaro

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring mode = argv != nullptr && argc == 4 ? argv[1] : L"";
  if (mode != L"engine" && mode != L"loop") {
    std::fwprintf(stderr, L"usage: bench_download engine|loop URL TARGET\n");
    return 2;
  }
  tessaro::TransferSession session(nullptr, nullptr);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const std::uint32_t result =
      mode == L"engine" ? session.DownloadUrl(argv[2], argv[3]) : tessaro::MinimalLoop(argv[2], argv[3]);
  QueryPerformanceCounter(&end);
  if (result != 0) {
    std::fwprintf(stderr, L"%ls: error 0x%08X\n", mode.c_str(), result);
    return 1;
  }
  std::wprintf(L"%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  return 0;
}
