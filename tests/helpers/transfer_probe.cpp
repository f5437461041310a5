// Runs one TransferSession as the download step does (with the process's
// credential provider) and prints every listener call, one a line ("begin
// LEVEL TOTAL PATH|-", "progress N", "finished L X", "error TEXT|- 0xCODE"),
// then "result 0xCODE":  transfer_probe [options] TARGET URL...
// --expected-size N; --cancel-after BYTES; --answer N (OnError's answer);
// --pause-polls N (IsPaused is true N-1 times once a byte came, each a
// "pause" line, then "go"); --ignore-certificates; --relax-certificates;
// --if-modified-since YYYYMMDDhhmmss (UTC); --want-last-modified (prints
// "last-modified YYYYMMDDhhmmss"); --post NAME=VALUE, repeatable (posts a
// form to the one URL, without TARGET, and prints "text HEX", the reply's
// UTF-16 units); --digests (prints "digests MD5|- SHA256|-", as computed
// while the data came).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "download/download_digests.h"
#include "download/transfer_session.h"

namespace {

class PrintingListener : public tessaro::ProgressListener {
 public:
  std::uint64_t cancelAfter = 0;  // 0: never
  std::uint32_t answer = 0;
  std::uint32_t pausePolls = 0;  // IsPaused says yes this many times once a byte came

  void OnTransferBegin(std::uint32_t level, std::uint32_t total, const wchar_t* path) override {
    std::wprintf(L"begin %u %u %ls\n", level, total, path != nullptr ? path : L"-");
  }
  void OnFinished(std::uint32_t level, std::uint32_t extra) override {
    std::wprintf(L"finished %u %u\n", level, extra);
  }
  void OnProgress(std::uint32_t bytes) override {
    reported_ += bytes;
    std::wprintf(L"progress %u\n", bytes);
  }
  bool IsCancelled() override { return cancelAfter != 0 && reported_ >= cancelAfter; }
  bool IsPaused() override {
    if (reported_ == 0 || pausePolls == 0) return false;
    std::wprintf(--pausePolls != 0 ? L"pause\n" : L"go\n");
    return pausePolls != 0;
  }
  std::uint32_t OnError(const wchar_t* text, std::uint32_t code, std::uint32_t) override {
    std::wprintf(L"error %ls 0x%08X\n", text != nullptr ? text : L"-", code);
    return answer;
  }

 private:
  std::uint64_t reported_ = 0;
};

// "YYYYMMDDhhmmss" as a SYSTEMTIME with its weekday filled in.
SYSTEMTIME ParseTime(const wchar_t* text) {
  SYSTEMTIME time{};
  (void)std::swscanf(text, L"%4hu%2hu%2hu%2hu%2hu%2hu", &time.wYear, &time.wMonth, &time.wDay, &time.wHour,
                     &time.wMinute, &time.wSecond);
  FILETIME asFileTime;
  if (SystemTimeToFileTime(&time, &asFileTime)) (void)FileTimeToSystemTime(&asFileTime, &time);
  return time;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  PrintingListener listener;
  tessaro::TransferSession session(&listener, &tessaro::ProcessCredentials());
  bool wantLastModified = false;
  bool post = false;
  tessaro::DownloadDigests digests{true, true, {}, {}, {}};
  bool wantDigests = false;
  int i = 1;
  for (; i < argc && std::wcsncmp(argv[i], L"--", 2) == 0; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--ignore-certificates") {
      session.SetIgnoreCertificateErrors(true);
    } else if (option == L"--relax-certificates") {
      session.SetRelaxCertificatesOnRetry(true);
    } else if (option == L"--digests") {
      session.SetDigests(&digests);
      wantDigests = true;
    } else if (option == L"--want-last-modified") {
      session.SetWantLastModified(wantLastModified = true);
    } else if (i + 1 < argc) {
      const std::wstring text = argv[++i];
      const unsigned long value = std::wcstoul(text.c_str(), nullptr, 10);
      const std::size_t equals = text.find(L'=');
      if (option == L"--expected-size") session.SetExpectedSize(value);
      if (option == L"--cancel-after") listener.cancelAfter = value;
      if (option == L"--answer") listener.answer = value;
      if (option == L"--pause-polls") listener.pausePolls = value;
      if (option == L"--if-modified-since") session.SetIfModifiedSince(ParseTime(text.c_str()));
      if (option == L"--post") {
        post = true;
        session.AddFormField(text.substr(0, equals), equals == std::wstring::npos ? L"" : text.substr(equals + 1));
      }
    }
  }
  if (i == argc) return ERROR_INVALID_PARAMETER;
  std::uint32_t result = 0;
  if (post) {
    std::wstring text;
    result = session.PostForm(argv[i], text);
    std::wprintf(L"text ");
    for (const wchar_t unit : text) std::wprintf(L"%04X", static_cast<unsigned>(unit));
    std::wprintf(L"\n");
  } else {
    const std::wstring target = argv[i++];
    result = session.Download(std::vector<std::wstring>(argv + i, argv + argc), target);
  }
  if (wantLastModified) {
    SYSTEMTIME time;
    session.GetLastModified(time);
    std::wprintf(L"last-modified %04u%02u%02u%02u%02u%02u\n", time.wYear, time.wMonth, time.wDay, time.wHour,
                 time.wMinute, time.wSecond);
  }
  if (wantDigests) {
    std::wprintf(L"digests %ls %ls\n", digests.md5.empty() ? L"-" : digests.md5.c_str(),
                 digests.sha256.empty() ? L"-" : digests.sha256.c_str());
  }
  std::wprintf(L"result 0x%08X\n", result);
  std::fflush(stdout);
  return 0;
}
