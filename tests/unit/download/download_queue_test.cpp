// What the download step tells a listening window, which silent runs cannot
// show: each job announced, a failed optional download passed over, a rejected
// file and a failed mandatory download each reported once, and where the step
// stops. Failures come from a closed loopback port, the rejected file from a
// file URL.
#include "download/download_queue.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "platform/chainer_codes.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;
using Calls = std::vector<std::wstring>;

// The step's own calls and the engine's errors, not its transfer reports.
struct StepListener : ProgressListener {
  Calls calls;

  void OnStart(std::uint64_t total) override { calls.push_back(L"start " + std::to_wstring(total)); }
  void OnEvent(const wchar_t*, std::uint32_t kind, std::uint32_t) override {
    calls.push_back(L"next " + std::to_wstring(kind));
  }
  std::uint32_t OnError(const wchar_t* text, std::uint32_t code, std::uint32_t) override {
    calls.push_back(L"error " + std::wstring(text ? text : L"-") + L" " + std::to_wstring(code));
    return 0;
  }
};

class DownloadQueueTest : public ::testing::Test {
 protected:
  Prerequisite& Add(const std::wstring& name, const std::wstring& location) {
    Prerequisite& record = options_.prerequisites.emplace_back();
    record.name = name;
    record.location = location;
    record.sourceKind = SourceKind::Download;
    record.state = PrereqState::MustDownload;
    record.selected = true;
    return record;
  }
  std::uint32_t DownloadAll() { return queue_.DownloadAll(options_, evaluator_, &listener_); }

  ScratchFolder scratch_;
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};
  StepListener listener_;
  DownloadQueue queue_{scratch_ / L"downloads"};
};

TEST_F(DownloadQueueTest, AFailedMandatoryDownloadAndARejectedFileEachEndTheStepWithOneReport) {
  const std::wstring cannotConnect = std::to_wstring(ERROR_INTERNET_CANNOT_CONNECT);
  Add(L"Optional", L"http://127.0.0.1:1/optional.bin");
  Add(L"Required", L"http://127.0.0.1:1/required.bin").options = L"m";
  Add(L"Never", L"http://127.0.0.1:1/never.bin");
  EXPECT_EQ(DownloadAll(), kErrorInstallFailure);
  EXPECT_EQ(listener_.calls, (Calls{L"start 3", L"next 9", L"error optional.bin " + cannotConnect, L"next 9",
                                    L"error required.bin " + cannotConnect,
                                    L"error Required " + std::to_wstring(kErrorMandatoryNotInstalled)}));

  const std::wstring source = scratch_ / L"bad.bin";
  MakeFile(source, FILE_ATTRIBUTE_NORMAL, "bad data");
  options_.prerequisites.clear();
  listener_.calls.clear();
  Add(L"Bad", L"file://" + source).md5 = std::wstring(32, L'0');
  Add(L"Later", L"http://127.0.0.1:1/later.bin");
  EXPECT_EQ(DownloadAll(), kErrorInstallFailure);
  EXPECT_EQ(listener_.calls,
            (Calls{L"start 2", L"next 9", L"error bad.bin " + std::to_wstring(kErrorDownloadRejected)}));
}

}  // namespace
}  // namespace tessaro
