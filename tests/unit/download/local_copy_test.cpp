#include "download/local_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro {
namespace {

struct RecordingListener : ProgressListener {
  std::vector<std::wstring> calls;
  bool cancel = false;

  void OnTransferBegin(std::uint32_t level, std::uint32_t total, const wchar_t* path) override {
    calls.push_back(L"begin " + std::to_wstring(level) + L" " + std::to_wstring(total) +
                    (path ? L" path" : L""));
  }
  void OnProgress(std::uint32_t bytes) override { calls.push_back(L"progress " + std::to_wstring(bytes)); }
  bool IsCancelled() override { return cancel; }
};

DWORD Step(CopyProgress& progress, std::int64_t total, std::int64_t transferred,
           DWORD reason = CALLBACK_CHUNK_FINISHED) {
  LARGE_INTEGER size{.QuadPart = total};
  LARGE_INTEGER done{.QuadPart = transferred};
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

}  // namespace
}  // namespace tessaro
