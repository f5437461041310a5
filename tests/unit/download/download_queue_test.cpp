// What a whole run cannot show of the download step while no window listens
// to it: what the step tells its listener, and where it stops. Sources are
// file URLs, which the engine copies like any download. Sizes, digests,
// KeepFiles, resume and Cancel are proven by the end-to-end download and
// basic-UI scenarios.
#include "download/download_queue.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/chainer_codes.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;
using Calls = std::vector<std::wstring>;

// The step's own calls; the engine's transfer reports are left out, its
// errors are kept.
struct StepListener : ProgressListener {
  Calls calls;

  void OnStart(std::uint64_t total) override { calls.push_back(L"start " + std::to_wstring(total)); }
  void OnEvent(const wchar_t*, std::uint32_t kind, std::uint32_t extra) override {
    calls.push_back(L"next " + std::to_wstring(kind) + L" " + std::to_wstring(extra));
  }
  std::uint32_t OnError(const wchar_t* text, std::uint32_t code, std::uint32_t extra) override {
    calls.push_back(L"error " + std::wstring(text ? text : L"-") + L" " + std::to_wstring(code) + L" " +
                    std::to_wstring(extra));
    return 0;
  }
};

class DownloadQueueTest : public ::testing::Test {
 protected:
  // A prerequisite that must be downloaded from |name|.bin in the scratch
  // folder; |content| empty: the source does not exist. Without a good
  // digest it names one no file has.
  Prerequisite& Add(const std::wstring& name, const std::string& content, bool goodDigest = true) {
    const std::wstring source = scratch_ / (name + L".bin");
    if (!content.empty()) MakeFile(source, FILE_ATTRIBUTE_NORMAL, content);
    Prerequisite& record = options_.prerequisites.emplace_back();
    record.name = name;
    record.location = L"file://" + source;
    record.sourceKind = SourceKind::Download;
    record.state = PrereqState::MustDownload;
    record.selected = true;
    if (!goodDigest) record.md5 = std::wstring(32, L'0');
    return record;
  }
  std::uint32_t DownloadAll() { return queue_.DownloadAll(options_, evaluator_, &listener_); }
  [[nodiscard]] bool Downloaded(const std::wstring& relative) const {
    return GetFileAttributesW((downloads_ + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  ScratchFolder scratch_;
  const std::wstring downloads_ = scratch_ / L"downloads\\";
  ChainerOptions options_;
  PrereqEvaluator evaluator_{options_, nullptr};
  StepListener listener_;
  DownloadQueue queue_{downloads_};
};

TEST_F(DownloadQueueTest, EachJobIsAnnouncedAndARejectedFileEndsTheStepUnderItsFileName) {
  Add(L"Present", "here").state = PrereqState::Found;
  options_.prerequisites.back().selected = false;
  Add(L"Good", "good data").folder = L"good\\deeper";
  Add(L"Optional", "");
  Add(L"Bad", "bad data", false).folder = L"bad\\deeper";
  Add(L"Never", "never data");

  EXPECT_EQ(DownloadAll(), kErrorInstallFailure);
  EXPECT_EQ(listener_.calls,
            (Calls{L"start 4", L"next 9 0", L"next 9 0", L"error Optional.bin 2 0", L"next 9 0",
                   L"error Bad.bin " + std::to_wstring(kErrorDownloadRejected) + L" 0"}));
  EXPECT_TRUE(options_.prerequisites[1].alreadyDownloaded && Downloaded(L"good\\deeper\\Good.bin"));
  EXPECT_FALSE(options_.prerequisites[2].alreadyDownloaded);
  EXPECT_FALSE(Downloaded(L"bad")) << "the rejected file's folders stay";
  EXPECT_FALSE(Downloaded(L"Never.bin"));

  // Accepted files go at the end of the run, unless the package keeps them.
  queue_.CleanupDownloads();
  EXPECT_FALSE(Downloaded(L"good")) << "the accepted file's folders stay";
  EXPECT_TRUE(Downloaded(L"")) << "the download folder itself stays";
}

TEST_F(DownloadQueueTest, AFailedMandatoryDownloadEndsTheStepUnderItsName) {
  Add(L"Required", "").options = L"m";
  Add(L"Later", "later data");
  EXPECT_EQ(DownloadAll(), kErrorInstallFailure);
  EXPECT_EQ(listener_.calls,
            (Calls{L"start 2", L"next 9 0", L"error Required.bin 2 0",
                   L"error Required " + std::to_wstring(kErrorMandatoryNotInstalled) + L" 0"}));
  EXPECT_FALSE(Downloaded(L"Later.bin"));

  // Nothing to download is still a step: it starts with no item.
  listener_.calls.clear();
  for (Prerequisite& record : options_.prerequisites) record.selected = false;
  EXPECT_EQ(DownloadAll(), 0u);
  EXPECT_EQ(listener_.calls, Calls{L"start 0"});
}

}  // namespace
}  // namespace tessaro
