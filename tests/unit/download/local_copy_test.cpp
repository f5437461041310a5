#include "download/local_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/chainer_codes.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

struct RecordingListener : ProgressListener {
  std::vector<std::wstring> calls;
  std::uint32_t progressSum = 0;
  bool cancel = false;

  void OnTransferBegin(std::uint32_t level, std::uint32_t total, const wchar_t* path) override {
    calls.push_back(L"begin " + std::to_wstring(level) + L" " + std::to_wstring(total) +
                    (path ? L" path" : L""));
  }
  void OnFinished(std::uint32_t level, std::uint32_t extra) override {
    calls.push_back(L"finished " + std::to_wstring(level) + L" " + std::to_wstring(extra));
  }
  void OnProgress(std::uint32_t bytes) override {
    calls.push_back(L"progress " + std::to_wstring(bytes));
    progressSum += bytes;
  }
  bool IsCancelled() override { return cancel; }
  std::uint32_t OnError(const wchar_t* text, std::uint32_t code, std::uint32_t) override {
    calls.push_back(L"error " + std::wstring(text ? text : L"-") + L" " + std::to_wstring(code));
    return 0;
  }
};

DWORD Step(CopyProgress& progress, std::int64_t total, std::int64_t transferred,
           DWORD reason = CALLBACK_CHUNK_FINISHED) {
  LARGE_INTEGER size;
  size.QuadPart = total;
  LARGE_INTEGER done;
  done.QuadPart = transferred;
  return CopyProgressRoutine(size, done, size, done, 1, reason, nullptr, nullptr, &progress);
}

// Not every CopyFileExW calls its routine (Wine's does not), so the routine
// is driven here as CopyFileExW drives it.
TEST(CopyProgressRoutine, ReportsAtOnceThenAtMostEvery200msAndAtTheTotal) {
  RecordingListener listener;
  CopyProgress progress;
  progress.listener = &listener;
  EXPECT_EQ(Step(progress, 1000, 0, CALLBACK_STREAM_SWITCH), PROGRESS_CONTINUE);
  Step(progress, 1000, 100);
  Step(progress, 1000, 200);
  Step(progress, 1000, 300);
  Sleep(250);
  Step(progress, 1000, 400);
  Step(progress, 1000, 400);  // nothing new: nothing to say
  Step(progress, 1000, 1000);
  EXPECT_EQ(listener.calls,
            (std::vector<std::wstring>{L"begin 1 1000", L"progress 100", L"progress 300", L"progress 600"}));

  // A new stream starts counting afresh.
  listener.calls.clear();
  Step(progress, 500, 0, CALLBACK_STREAM_SWITCH);
  Step(progress, 500, 500);
  EXPECT_EQ(listener.calls, (std::vector<std::wstring>{L"begin 1 500", L"progress 500"}));
}

TEST(CopyProgressRoutine, CancelEndsOrStopsTheCopy) {
  RecordingListener listener;
  listener.cancel = true;
  for (const bool restartable : {false, true}) {
    CopyProgress progress;
    progress.listener = &listener;
    progress.restartable = restartable;
    EXPECT_EQ(Step(progress, 1000, 100), restartable ? PROGRESS_STOP : PROGRESS_CANCEL);
  }
  EXPECT_EQ(listener.calls, std::vector<std::wstring>{});
}

class LocalCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFile(source, FILE_ATTRIBUTE_NORMAL, contents);
    progress.listener = progress.finalListener = &listener;
  }
  std::string ReadTarget() const {
    const UniqueFile file(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string data(contents.size() + 1, '\0');
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr))
      return "-";
    data.resize(read);
    return data;
  }
  SYSTEMTIME SourceTime() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME time{};
    FileTimeToSystemTime(&data.ftLastWriteTime, &time);
    return time;
  }

  ScratchFolder folder;
  const std::string contents = std::string(300000, 'x') + "end";
  const std::wstring source = folder / L"source.bin";
  const std::wstring target = folder / L"sub\\target.bin";
  RecordingListener listener;
  CopyProgress progress;
};

TEST_F(LocalCopyTest, CopiesThroughThePartFileAndReplacesTheTarget) {
  ASSERT_EQ(CreateDirectoryW((folder / L"sub").c_str(), nullptr), TRUE);
  MakeFile(target, FILE_ATTRIBUTE_NORMAL, "old");
  // The copy goes into the secure ".part" file made for it. (Whether its
  // access list survives cannot be seen where Wine keeps no access lists.)
  progress.secure = true;
  ASSERT_EQ(LocalCopy(progress, source, target), 0u);
  EXPECT_EQ(ReadTarget(), contents);
  EXPECT_FALSE(PathExists(target + L".part"));
  // Where CopyFileExW calls the routine, the copy is announced and counted in full.
  if (listener.calls.size() > 1) {
    EXPECT_EQ(listener.calls.front(), L"begin 1 " + std::to_wstring(contents.size()));
    EXPECT_EQ(listener.progressSum, contents.size());
  }
  EXPECT_EQ(listener.calls.back(), L"finished 1 0");
}

TEST_F(LocalCopyTest, CopiesOnlyASourceNewerThanTheCompareTime) {
  const SYSTEMTIME written = SourceTime();
  SYSTEMTIME earlier = written;
  earlier.wYear -= 1;
  struct Case {
    SYSTEMTIME compare;
    bool wantTime;
    std::uint32_t result;
  };
  for (const Case& c :
       {Case{written, false, kErrorNotModified}, Case{earlier, false, 0}, Case{{}, true, 0}}) {
    listener.calls.clear();
    DeleteFileW(target.c_str());
    CopyProgress copy;
    copy.listener = copy.finalListener = &listener;
    copy.compareTime = c.compare;
    copy.wantTime = c.wantTime;
    EXPECT_EQ(LocalCopy(copy, source, target), c.result);
    EXPECT_EQ(ReadTarget(), c.result == 0 ? contents : "-");
    EXPECT_EQ(memcmp(&copy.sourceTime, &written, sizeof written), 0);
    if (c.result != 0) {
      EXPECT_EQ(listener.calls, std::vector<std::wstring>{});
    }
  }
}

TEST_F(LocalCopyTest, AMissingSourceIsReportedOnceAndLeavesNoTarget) {
  for (const bool wantTime : {false, true}) {
    listener.calls.clear();
    progress.wantTime = wantTime;
    EXPECT_EQ(LocalCopy(progress, folder / L"missing.bin", target),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(listener.calls, std::vector<std::wstring>{L"error - 2"});
    EXPECT_FALSE(PathExists(target));
  }
}

}  // namespace
}  // namespace tessaro
