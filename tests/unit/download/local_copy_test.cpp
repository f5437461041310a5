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
  bool cancel = false;

  void OnTransferBegin(std::uint32_t level, std::uint32_t total, const wchar_t* path) override {
    calls.push_back(L"begin " + std::to_wstring(level) + L" " + std::to_wstring(total) +
                    (path ? L" path" : L""));
  }
  void OnFinished(std::uint32_t level, std::uint32_t extra) override {
    calls.push_back(L"finished " + std::to_wstring(level) + L" " + std::to_wstring(extra));
  }
  void OnProgress(std::uint32_t bytes) override { calls.push_back(L"progress " + std::to_wstring(bytes)); }
  bool IsCancelled() override { return cancel; }
};

DWORD Step(CopyProgress& progress, std::int64_t total, std::int64_t transferred,
           DWORD reason = CALLBACK_CHUNK_FINISHED) {
  LARGE_INTEGER size;
  size.QuadPart = total;
  LARGE_INTEGER done;
  done.QuadPart = transferred;
  return CopyProgressRoutine(size, done, size, done, 1, reason, nullptr, nullptr, &progress);
}

// Wine's CopyFileExW never calls its routine, so the routine is driven here
// as CopyFileExW drives it.
TEST(CopyProgressRoutine, ReportsAtOnceThenAtMostEvery200msAndAtTheTotal) {
  RecordingListener listener;
  CopyProgress progress;
  progress.listener = &listener;
  EXPECT_EQ(Step(progress, 1000, 0, CALLBACK_STREAM_SWITCH), PROGRESS_CONTINUE);
  for (const std::int64_t transferred : {100, 200, 300}) Step(progress, 1000, transferred);
  Sleep(250);
  Step(progress, 1000, 400);
  Step(progress, 1000, 400);  // nothing new: nothing to say
  Step(progress, 1000, 1000);
  // A new stream counts afresh.
  Step(progress, 500, 0, CALLBACK_STREAM_SWITCH);
  Step(progress, 500, 500);
  EXPECT_EQ(listener.calls, (std::vector<std::wstring>{L"begin 1 1000", L"progress 100", L"progress 300",
                                                       L"progress 600", L"begin 1 500", L"progress 500"}));

  listener.cancel = true;
  EXPECT_EQ(Step(progress, 500, 500), PROGRESS_CANCEL);
  progress.restartable = true;
  EXPECT_EQ(Step(progress, 500, 500), PROGRESS_STOP);
}

class LocalCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFile(source, FILE_ATTRIBUTE_NORMAL, contents);
    progress.listener = progress.finalListener = &listener;
  }

  ScratchFolder folder;
  const std::string contents = std::string(300000, 'x') + "end";
  const std::wstring source = folder / L"source.bin";
  const std::wstring target = folder / L"sub\\target.bin";
  RecordingListener listener;
  CopyProgress progress;
};

TEST_F(LocalCopyTest, CopiesThroughASecurePartFileAndReplacesTheTarget) {
  ASSERT_TRUE(CreateDirectoryW((folder / L"sub").c_str(), nullptr));
  MakeFile(target, FILE_ATTRIBUTE_NORMAL, "old");
  // (Whether the access list survives cannot be seen where Wine keeps none.)
  progress.secure = true;
  ASSERT_EQ(LocalCopy(progress, source, target), 0u);
  EXPECT_EQ(FileBytes(target), contents);
  EXPECT_FALSE(PathExists(target + L".part"));
  EXPECT_EQ(listener.calls.back(), L"finished 1 0");
}

TEST_F(LocalCopyTest, CopiesOnlyASourceNewerThanTheCompareTime) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data));
  SYSTEMTIME written{};
  FileTimeToSystemTime(&data.ftLastWriteTime, &written);
  SYSTEMTIME earlier = written;
  earlier.wYear -= 1;
  struct Case {
    SYSTEMTIME compare;
    bool wantTime;
    std::uint32_t result;
  };
  for (const Case& c :
       {Case{written, false, kErrorNotModified}, Case{earlier, false, 0}, Case{{}, true, 0}}) {
    (void)DeleteFileW(target.c_str());
    CopyProgress copy;
    copy.compareTime = c.compare;
    copy.wantTime = c.wantTime;
    EXPECT_EQ(LocalCopy(copy, source, target), c.result);
    EXPECT_EQ(FileBytes(target), c.result == 0 ? contents : "<none>");
    EXPECT_EQ(memcmp(&copy.sourceTime, &written, sizeof written), 0);
  }
}

}  // namespace
}  // namespace tessaro
